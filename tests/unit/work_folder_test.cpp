#include "setup/work_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkFolder, NameFromTheTimeOfDay) {
  const struct {
    const char* temp;
    uint32_t stamp;
    const char* want;
  } cases[] = {
      {"C:\\Users\\Ann\\AppData\\Local\\Temp\\", 0x5A21734C, "C:\\Users\\Ann\\AppData\\Local\\Temp\\SETUP_29516"},
      {"C:\\Temp", 0x5A21734C, "C:\\Temp\\SETUP_29516"},     // one backslash added
      {"C:\\Temp\\", 0x5A210000, "C:\\Temp\\SETUP_0"},       // the date half plays no part
      {"C:\\Temp\\", 0x0000FFFF, "C:\\Temp\\SETUP_65535"},
  };
  for (const auto& c : cases) EXPECT_EQ(WorkFolderName(c.temp, c.stamp), c.want) << c.temp;
}

}  // namespace
