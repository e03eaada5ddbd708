#include "env/switches.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kModule[] = "C:\\Setup Files\\setup.exe";

TEST(Switches, CommandTail) {
  const struct {
    std::string commandLine, module, want;
  } cases[] = {
      {"\"C:\\Setup Files\\setup.exe\" /OriginExe=\"C:\\My Apps\\old setup.exe\" /SpanCdLvl=2",
       kModule, "/OriginExe=\"C:\\My Apps\\old setup.exe\" /SpanCdLvl=2"},
      {"\"c:\\setup files\\SETUP.EXE\"  /a=1 ", kModule, "/a=1"},   // any letter case
      {"\"C:\\Setup Files\\setup.exe\"", kModule, ""},              // only the program
      {"\"C:\\Setup Files\\setup.exe\"    ", kModule, ""},
      {"\"C:\\Setup Files\\setup.exe\" x", kModule, ""},            // one character left: empty
      {"\"C:\\Setup Files\\setup.exe\" xy", kModule, "xy"},
      {"setup.exe /A=1", kModule, "/A=1"},                          // started by name only
      {"C:\\Setup Files\\setup.exe /A=1", kModule, "/A=1"},         // unquoted with a blank
      // The file name also names a folder earlier in an unquoted path: the
      // tail starts right after that first occurrence.
      {"C:\\setup.exe\\setup.exe /A=1", "C:\\setup.exe\\setup.exe", "\\setup.exe /A=1"},
      // Started by another name: a value naming a file of the same name is
      // not the program.
      {"setup /OriginExe=C:\\x\\setup.exe /B=2", kModule, "setup /OriginExe=C:\\x\\setup.exe /B=2"},
      {"/A=1 /B=2", kModule, "/A=1 /B=2"},                          // no program part at all
      {"", kModule, ""},
      {"  /A=1  ", "", "/A=1"},                                     // no module path known
      // Found by the full path only: " -dir" ends the program part early.
      {"C:\\My -dir\\app.exe", "C:\\My -dir\\app.exe", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetCommandTail(c.commandLine, c.module), c.want) << c.commandLine;
  }
}

TEST(Switches, Value) {
  const struct {
    std::string tail, name, want;
  } cases[] = {
      {"/OriginExe=\"C:\\My Apps\\old setup.exe\" /SpanCdLvl=2", "/OriginExe",
       "C:\\My Apps\\old setup.exe"},
      {"/OriginExe=\"C:\\My Apps\\old setup.exe\" /SpanCdLvl=2", "/SpanCdLvl=", "2"},
      {"/originexe=x", "/OriginExe", "x"},
      {"/OriginExe=x", "OriginExe", "x"},        // without the prefix
      {"/OriginExe=x", "OriginExe=", "x"},
      {"/OriginExe=x", " /OriginExe= ", "x"},    // the name is trimmed
      {"/X=a /b", "/X", "a"},                    // cut at blank-slash
      {"/X=a/b c", "/X", "a/b c"},
      {"/A=1/B=2", "/B", "default"},             // glued: not a switch of its own
      {"/A=1/B=2", "/A", "1/B=2"},
      {"/SpanCdLvlX=5", "/SpanCdLvl=", "default"},
      {"/A=1 /A=2", "/A", "1"},                  // the first occurrence wins
      {"/A= /B=1", "/A", ""},                    // present and empty: not the default
      {"/A=   v   /B=1", "/A", "v"},             // trimmed
      {"/X  =5", "/X", "5"},                     // blanks before "=" vanish
      {"/X=a  =b", "/X", "a=b"},                 // ... inside values too
      {"/A=\"x y\"", "/A", "x y"},
      {"-A=1 -B=x /y /C=3", "-B", "x /y /C=3"},  // a dash name splits at blank-dash only
      {"-A=1 -B=x /y /C=3", "-A", "1"},
      {"-A=1 -B=x /y /C=3", "/A", "default"},
      {"-A=1 -B=x /y /C=3", "/y", "default"},    // no "=": never a value
      {"/A=1", "", "default"},
      {"/A=1", "   ", "default"},
      {"", "/A", "default"},
      {"/hide", "/hide", "default"},
  };
  for (const auto& c : cases) {
    const std::string commandLine = std::string("\"") + kModule + "\" " + c.tail;
    EXPECT_EQ(GetSwitchValue(commandLine, kModule, c.name, "default"), c.want)
        << c.tail << " -> " << c.name;
  }
  EXPECT_EQ(GetSwitchValue("x.exe", "x.exe", "/A", " d "), "d");  // the default, trimmed
}

TEST(Switches, Number) {
  const struct {
    std::string tail, name;
    int64_t def, want;
  } cases[] = {
      {"/SpanCdLvl=2", "/SpanCdLvl=", 1, 2},
      {"/SpanCdLvl=abc", "/SpanCdLvl=", 1, 1},
      {"/Other=2", "/SpanCdLvl=", 1, 1},
      {"/STOP=", "/STOP=", -1, -1},
      {"/STOP= /TEST=1", "/STOP=", -1, -1},
      {"/WAIT=$10", "/WAIT=", 0, 16},
      {"/WAIT=-3", "/WAIT=", 0, -3},
      {"/WAIT=99999999999999999999", "/WAIT=", 0, 0},
      {"/SleepX= 250 ", "/SleepX=", -1, 250},
  };
  for (const auto& c : cases) {
    const std::string commandLine = std::string("\"") + kModule + "\" " + c.tail;
    EXPECT_EQ(GetSwitchNumber(commandLine, kModule, c.name, c.def), c.want) << c.tail;
  }
}

TEST(Switches, HasSwitch) {
  const struct {
    std::string tail, name;
    bool want;
  } cases[] = {
      {"/hide", "/hide", true},
      {"/x /HIDE", "/hide", true},
      {"/hide=1", "/hide", false},
      {"/hidden", "/hide", false},
      {"/a/hide", "/hide", true},   // not tied to the start of an argument
      {"/hide /x", " /hide ", true},
      {"", "/hide", false},
      {"/hide", "", false},         // an empty name is no switch
  };
  for (const auto& c : cases) {
    const std::string commandLine = std::string("\"") + kModule + "\" " + c.tail;
    EXPECT_EQ(HasSwitch(commandLine, kModule, c.name), c.want) << c.tail << " ? " << c.name;
  }
}

}  // namespace
