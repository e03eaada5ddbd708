#include <windows.h>

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

void SetStubExitCode(uint32_t code) { g_exitCode = code; }
uint32_t StubExitCode() { return g_exitCode; }

void MakeAndStartXCopy(bool) { NotBuiltYet("CreateAndRun_X_Exe()"); }
void HandleControlSwitches(bool) { NotBuiltYet("HandleParamOK()"); }
void ReadTestModeForced() { NotBuiltYet("ReadTestMode()"); }
void MakeAndStartYCopy() { NotBuiltYet("CreateAndRun_Y_Exe()"); }
// Until they are built, both end the message loop at the first tick, so that
// a started stub comes to its end lines instead of waiting for ever.
void RunStartRoutine() {
  KillTimer(reinterpret_cast<HWND>(StubMainWindow()), 1);
  NotBuiltYet("RunStartRoutine()");
  PostQuitMessage(0);
}
void TimerTick() {
  NotBuiltYet("TimerTick()");
  PostQuitMessage(0);
}
void StartSelfDeletion(bool removeFolder) {
  NotBuiltYet(removeFolder ? "DeleteMySelf(with folder)" : "DeleteMySelf()");
}
