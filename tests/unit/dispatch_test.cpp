#include "stub/dispatch.h"

#include <gtest/gtest.h>

#include "package/layout.h"

namespace {

RoleFacts Agent(const std::string& path, const std::string& agentName = "Tool.exe") {
  RoleFacts f;
  f.agentMode = true;
  f.runningPath = path;
  f.agentFileName = agentName;
  return f;
}

TEST(Dispatch, AgentPredicatesByRunningName) {
  struct Case {
    const char* path;
    const char* agentName;
    bool plain, xcopy;
  } cases[] = {
      {"C:\\App\\Tool.exe", "Tool.exe", true, false},
      {"C:\\App\\tool.EXE", " Tool.exe ", true, false},  // case and blanks ignored
      {"C:\\App\\X_Tool.exe", "Tool.exe", false, true},
      {"C:\\App\\x_tool.exe", "Tool.exe", false, true},
      {"C:\\App\\Other.exe", "Tool.exe", false, false},
      {"C:\\X_Tool.exe\\Tool2.exe", "Tool.exe", false, false},  // folder names do not count
      {"C:\\App\\Tool.exe", "", false, false},
  };
  for (const auto& c : cases) {
    RoleFacts f = Agent(c.path, c.agentName);
    EXPECT_EQ(ThisIs_Plain_AutoUpdate_Exe(f), c.plain) << c.path;
    EXPECT_EQ(ThisIs_X_AutoUpdate_Exe(f), c.xcopy) << c.path;
    f.agentMode = false;  // outside agent mode neither holds
    EXPECT_FALSE(ThisIs_Plain_AutoUpdate_Exe(f)) << c.path;
    EXPECT_FALSE(ThisIs_X_AutoUpdate_Exe(f)) << c.path;
  }
}

TEST(Dispatch, ClassNames) {
  EXPECT_EQ(XCopyClassName("Tool.exe"), ".AutoUpdate.X_Tool");
  EXPECT_EQ(XCopyClassName("my.tool.exe"), ".AutoUpdate.X_my.tool");
  EXPECT_EQ(XCopyClassName("Tool"), ".AutoUpdate.X_Tool");
  // The X_ copy registers exactly the class that X_ExeIsRunning looks for.
  EXPECT_EQ(WindowClassName(Agent("C:\\App\\X_Tool.exe")), XCopyClassName("Tool.exe"));
  EXPECT_EQ(WindowClassName(Agent("C:\\App\\Tool.exe")), ".AutoUpdate.Tool");
  RoleFacts setup;
  setup.runningPath = "C:\\Down loads\\setup.exe";
  EXPECT_EQ(WindowClassName(setup), "C:\\Down loads\\setup.exe");
}

TEST(Dispatch, BranchChoice) {
  struct Case {
    const char* what;
    RoleFacts facts;
    bool instance;
    Branch want;
  } cases[] = {
      {"plain agent", Agent("C:\\A\\Tool.exe"), false, Branch::kMakeXCopy},
      {"x copy", Agent("C:\\A\\X_Tool.exe"), false, Branch::kRunXCopy},
      {"agent under another name runs the window", Agent("C:\\A\\Other.exe"), false,
       Branch::kRunSetup},
      {"instance already running", Agent("C:\\A\\X_Tool.exe"), true, Branch::kAnotherInstance},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseBranch(c.facts, c.instance), c.want) << c.what;

  RoleFacts spanned;
  spanned.runningPath = "D:\\setup.exe";
  spanned.flags = layout::kSpannedCd;
  EXPECT_EQ(ChooseBranch(spanned, false), Branch::kMakeYCopy);
  spanned.spanCdLevel = 2;  // the Y_ copy itself runs the window, then deletes itself
  EXPECT_EQ(ChooseBranch(spanned, false), Branch::kRunSetup);
  EXPECT_TRUE(IsSpannedCdSecondLevel(spanned));
  RoleFacts plainSetup;
  plainSetup.spanCdLevel = 2;  // the second level does not consult the trailer
  EXPECT_TRUE(IsSpannedCdSecondLevel(plainSetup));
  EXPECT_FALSE(IsSpannedCdFirstLevel(plainSetup));
  // A plain agent whose trailer also has the spanned bit is still the agent.
  RoleFacts agentSpanned = Agent("C:\\A\\Tool.exe");
  agentSpanned.flags = layout::kSpannedCd;
  EXPECT_EQ(ChooseBranch(agentSpanned, false), Branch::kMakeXCopy);
}

TEST(Dispatch, LogNeedsAgentModeAndLogBit) {
  EXPECT_TRUE(LogEnabledFor(true, layout::kLogFile));
  EXPECT_TRUE(LogEnabledFor(true, 0xFF));
  EXPECT_FALSE(LogEnabledFor(true, uint8_t(~layout::kLogFile)));
  EXPECT_FALSE(LogEnabledFor(false, layout::kLogFile));
}

}  // namespace
