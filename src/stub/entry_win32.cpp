#include <windows.h>

#include "env/paths.h"
#include "env/switches.h"
#include "env/text.h"
#include "env/version.h"
#include "package/file_info.h"
#include "stub/dispatch.h"
#include "stub/entry.h"
#include "stub/roles.h"
#include "support/log.h"
#include "support/trace.h"

namespace {

bool TopLevelWindowExists(const std::string& className) {
  return FindWindowA(className.c_str(), nullptr) != nullptr;
}

void Dispatch(const RoleFacts& facts) {
  WriteLog("DoRunStubWin() --- Start");
  const std::string className = WindowClassName(facts);
  const bool xCopyWasRunning = TopLevelWindowExists(XCopyClassName(facts.agentFileName));
  WriteLog(std::string("X_ExeIsRunning=") + BoolText(xCopyWasRunning));
  WriteLog(std::string("ThisIs_Plain_AutoUpdate_Exe=") + BoolText(ThisIs_Plain_AutoUpdate_Exe(facts)));
  WriteLog(std::string("ThisIs_X_AutoUpdate_Exe=") + BoolText(ThisIs_X_AutoUpdate_Exe(facts)));

  const Branch branch = ChooseBranch(facts, TopLevelWindowExists(className));
  TracePidLine(std::string(" ==== Role: ") + BranchName(branch));
  switch (branch) {
    case Branch::kAnotherInstance:
      break;
    case Branch::kMakeXCopy:
      MakeAndStartXCopy(xCopyWasRunning);
      break;
    case Branch::kRunXCopy:
      WriteLog("CheckTestMode");
      ReadTestModeForced();
      WriteLog("WinMain");
      RunStubWindow(className);
      WriteLog("DeleteMySelf");
      StartSelfDeletion(false);
      break;
    case Branch::kMakeYCopy:
      MakeAndStartYCopy();
      break;
    case Branch::kRunSetup:
      RunStubWindow(className);
      if (IsSpannedCdSecondLevel(facts)) StartSelfDeletion(true);
      break;
  }
  if (ThisIs_Plain_AutoUpdate_Exe(facts)) HandleControlSwitches(xCopyWasRunning);
  WriteLog("DoRunStubWin() --- End");
}

}  // namespace

uint32_t RunEntry() {
  const std::string& commandLine = ProcessCommandLine();
  const std::string& self = ProcessModulePath();
  TracePidLine(" ==== STUB START ====> " + commandLine + "<");

  // The package info of the running file lives until the role has ended.
  TGFileInfo info = TGFileInfo::FromPath(self);
  SetRunningPackageInfo(&info);
  RoleFacts facts;
  facts.agentMode = info.ThisIs_AutoUpdateProg();
  facts.flags = info.trailer().Flags;
  facts.runningPath = self;
  facts.agentFileName = info.AgentFileName();
  facts.spanCdLevel = GetSwitchNumber("/SpanCdLvl=", 1);
  SetLogEnabled(LogEnabledFor(facts.agentMode, facts.flags));
  if (ThisIs_X_AutoUpdate_Exe(facts)) SetLogPrefix(" X ");

  WriteLog("");
  WriteLog("");
  WriteLog("=== START === " + self);
  WriteLog("CommandLine=" + commandLine);
  WriteLog("Agent Version=" + GetExeVersion(self, 1, 4));
  TracePidLine(std::string(" ==== ThisIs_AutoUpdateProg=") + BoolText(facts.agentMode));

  Dispatch(facts);

  SetRunningPackageInfo(nullptr);
  TracePidLine(" ==== STUB END ====> " + commandLine + "<");
  TraceLine("");
  WriteLog("=== EXIT === " + self);
  WriteLog("");
  return StubExitCode();
}
