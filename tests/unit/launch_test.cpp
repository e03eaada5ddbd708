#include "setup/launch.h"

#include <gtest/gtest.h>

namespace {

TEST(RemoveSwitch, CutsUpToTheNextSwitch) {
  const struct {
    const char* line;
    const char* sw;
    const char* want;
  } cases[] = {
      {"a.exe /SpanCdLvl=2 /X=1", "/SpanCdLvl=", "a.exe /X=1"},
      {"a.exe /X=1 /SpanCdLvl=2", "/SpanCdLvl=", "a.exe /X=1 "},  // to the end
      {"a.exe /SpanDiskFName1=\"C:\\a b\\s.exe.001\" /OriginExe=\"C:\\s.exe\"", "/SpanDiskFName1=",
       "a.exe /OriginExe=\"C:\\s.exe\""},
      {"a.exe /X=1", "/SpanCdLvl=", "a.exe /X=1"},                     // absent
      {"a.exe /SpanCdLvl=2 /SpanCdLvl=3", "/SpanCdLvl=", "a.exe /SpanCdLvl=3"},  // first only
      {"a.exe /X=1", "", "a.exe /X=1"},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoveSwitch(c.line, c.sw), c.want) << c.line;
}

TEST(EngineCommandLine, PartsInTheirOrder) {
  const std::string folder = "C:\\Users\\Ann Lee\\Temp\\SETUP_29516";
  const std::string engine = "\"" + folder + "\\Engine.exe\"";
  const std::string origin = " /OriginExe=\"D:\\Setup.exe\"";
  const struct {
    const char* what;
    const char* head;
    const char* extra;
    bool agent;
    std::string want;
  } cases[] = {
      {"plain", "Engine.exe", "", false, engine + " /TH_ID=_77" + origin},
      {"own parameters", "Engine.exe", "/LANG=de -q", false,
       engine + " /LANG=de -q /TH_ID=_77" + origin},
      {"head parameters after the star, trimmed", "Engine.exe* /silent ", "", false,
       engine + " /silent /TH_ID=_77" + origin},
      {"own before head parameters", " Engine.exe *  /silent", "/a=1", false,
       engine + " /a=1 /silent /TH_ID=_77" + origin},
      {"a bare star", "Engine.exe*", "/a=1", false, engine + " /a=1 /TH_ID=_77" + origin},
      {"agent", "Engine.exe", "", true, engine + " /TH_ID=_77" + origin + " /AutoUpdateProg"},
      {"origin passed on by a restarted copy, span switches dropped",
       "Engine.exe",
       "/SpanCdLvl=2 /SpanDiskFName1=\"D:\\Setup.exe.001\" /OriginExe=\"D:\\Setup.exe\"", false,
       engine + " /OriginExe=\"D:\\Setup.exe\" /TH_ID=_77"},
  };
  for (const auto& c : cases) {
    EngineLaunch l;
    l.workFolder = folder;
    l.engineHead = c.head;
    l.extraParams = c.extra;
    l.threadTag = ThreadTag(77);
    l.runningFile = "D:\\Setup.exe";
    l.agentMode = c.agent;
    EXPECT_EQ(EngineCommandLine(l), c.want) << c.what;
  }
}

TEST(EngineCommandLine, FolderWithTrailingBackslashGetsOne) {
  EngineLaunch l;
  l.workFolder = "C:\\T\\SETUP_1\\";
  l.engineHead = "Engine.exe";
  l.threadTag = "_1";
  l.runningFile = "C:\\s.exe";
  EXPECT_EQ(EngineCommandLine(l), "\"C:\\T\\SETUP_1\\Engine.exe\" /TH_ID=_1 /OriginExe=\"C:\\s.exe\"");
}

TEST(EngineFileName, BeforeTheStar) {
  EXPECT_EQ(EngineFileName("Engine.exe"), "Engine.exe");
  EXPECT_EQ(EngineFileName("Engine.exe*"), "Engine.exe");
  EXPECT_EQ(EngineFileName(" Engine.exe * /x"), "Engine.exe");
}

}  // namespace
