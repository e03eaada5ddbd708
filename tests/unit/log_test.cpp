#include "support/log.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFileNameFor, PrefixesAndReplacesTheExtension) {
  const struct {
    const char* program;
    const char* log;
  } cases[] = {
      {"C:\\Apps\\X_Tool.exe", "C:\\Apps\\X_Tool.log"},
      {"C:\\Apps\\Tool", "C:\\Apps\\X_Tool.log"},
      {"C:\\Apps\\setup.exe", "C:\\Apps\\X_setup.log"},
      {"C:\\Apps\\X_setup.exe", "C:\\Apps\\X_setup.log"},
      {"C:\\Apps\\x_setup.exe", "C:\\Apps\\X_x_setup.log"},  // the test is case-sensitive
      {"C:\\My.Apps\\Tool", "C:\\My.Apps\\X_Tool.log"},      // a dot in the folder is not an extension
      {"C:\\Apps\\Tool.v2.exe", "C:\\Apps\\X_Tool.v2.log"},
      {"C:\\Tool.exe", "C:\\X_Tool.log"},
      {"C:\\Apps\\\\Tool.exe", "C:\\Apps\\X_Tool.log"},  // exactly one backslash
      {"Z:/tmp/Tool.exe", "Z:/tmp\\X_Tool.log"},
      {"Tool.exe", "X_Tool.log"},
  };
  for (const auto& c : cases) EXPECT_EQ(LogFileNameFor(c.program), c.log) << c.program;
}

TEST(ComposeLogLine, PadsTheThreadIdToFive) {
  const struct {
    uint32_t thread;
    const char* prefix;
    const char* line;
  } cases[] = {
      {77, "   ", "11/12/25 13:48:05    77   msg\r\n"},
      {1234567, "   ", "11/12/25 13:48:05 1234567   msg\r\n"},
      {12345, " X ", "11/12/25 13:48:05 12345 X msg\r\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ComposeLogLine("11/12/25 13:48:05", c.thread, c.prefix, "msg"), c.line);
  EXPECT_EQ(ComposeLogLine("t", 8, "   ", ""), "t     8   \r\n");
}

TEST(LogState, PrefixStartsAsThreeBlanks) {
  EXPECT_EQ(LogPrefix(), "   ");
  SetLogPrefix(" X ");
  EXPECT_EQ(LogPrefix(), " X ");
  SetLogPrefix("   ");
}

}  // namespace
