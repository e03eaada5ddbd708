#include "stub/roles.h"

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
void RunStubWindow(const std::string&) { NotBuiltYet("RunStubWindow()"); }
void StartSelfDeletion(bool removeFolder) {
  NotBuiltYet(removeFolder ? "DeleteMySelf(with folder)" : "DeleteMySelf()");
}
