#include <windows.h>

#include "env/files.h"
#include "env/paths.h"
#include "env/switches.h"
#include "env/text.h"
#include "package/file_info.h"
#include "setup/launch.h"
#include "setup/work_folder.h"
#include "stub/roles.h"
#include "stub/window.h"
#include "support/trace.h"

namespace {
uint32_t g_exitCode = 0;
const TGFileInfo* g_runningPackage = nullptr;

void NotBuiltYet(const char* what) { TracePidLine(std::string(" ") + what + " --- not built yet"); }
}  // namespace

void SetRunningPackageInfo(const TGFileInfo* info) { g_runningPackage = info; }
const TGFileInfo* RunningPackageInfo() { return g_runningPackage; }

const TGFileInfo& RunningPackage() {
  if (g_runningPackage) return *g_runningPackage;
  // Made once and kept for the process (a pointer: the stub, whose entry
  // always sets the package, carries no static object for this).
  static const TGFileInfo* own = new TGFileInfo(TGFileInfo::FromPath(ProcessModulePath()));
  return *own;
}

void SetStubExitCode(uint32_t code) { g_exitCode = code; }
uint32_t StubExitCode() { return g_exitCode; }

void MakeAndStartXCopy(bool) { NotBuiltYet("CreateAndRun_X_Exe()"); }
void HandleControlSwitches(bool) { NotBuiltYet("HandleParamOK()"); }
void ReadTestModeForced() { NotBuiltYet("ReadTestMode()"); }

void MakeAndStartYCopy() {
  const std::string own = ProcessModulePath();
  const std::string copy = SetTrailingBackslash(WorkFolder(), true) + "Y_" + FileNameOf(own);
  CopyFileA(own.c_str(), copy.c_str(), FALSE);
  const std::string params = Trim(GetCommandTail() + " /SpanCdLvl=2 /SpanDiskFName1=\"" + own +
                                  ".001\" /OriginExe=\"" + own + "\"");
  // The copy's work folder is the one it runs from: it must find it free.
  ReleaseWorkFolder();
  const std::string commandLine = QuoteText(copy) + " " + params;
  TracePidLine(" CreateAndRun_Y_Exe() >>" + commandLine + "<<");
  CloseProgram(RunProgram(commandLine, SW_HIDE));
}

void RunWebDownloadSetup(const std::string&, const std::string&, const std::string&) {
  NotBuiltYet("RunWebDownloadSetup()");
}
// Until it is built, the agent's tick ends the message loop at once, so that
// a started agent comes to its end lines instead of waiting for ever.
void TimerTick() {
  NotBuiltYet("TimerTick()");
  PostQuitMessage(0);
}
void StartSelfDeletion(bool removeFolder) {
  TracePidLine(removeFolder ? " DeleteMySelf(with folder)" : " DeleteMySelf()");
  DeleteMySelf(removeFolder);
}
