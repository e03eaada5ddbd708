#include "stub/dispatch.h"

#include "env/paths.h"
#include "env/text.h"
#include "package/layout.h"

bool ThisIs_Plain_AutoUpdate_Exe(const RoleFacts& f) {
  return f.agentMode && SameTextTrimmed(FileNameOf(f.runningPath), f.agentFileName);
}

bool ThisIs_X_AutoUpdate_Exe(const RoleFacts& f) {
  return f.agentMode && SameTextTrimmed(FileNameOf(f.runningPath), "X_" + Trim(f.agentFileName));
}

bool IsSpannedCdFirstLevel(const RoleFacts& f) {
  return (f.flags & layout::kSpannedCd) && f.spanCdLevel == 1;
}

bool IsSpannedCdSecondLevel(const RoleFacts& f) { return f.spanCdLevel == 2; }

bool LogEnabledFor(bool agentMode, uint8_t flags) { return agentMode && (flags & layout::kLogFile); }

std::string XCopyClassName(const std::string& agentFileName) {
  return ".AutoUpdate.X_" + RemoveLastExtension(agentFileName);
}

std::string WindowClassName(const RoleFacts& f) {
  if (f.agentMode) return ".AutoUpdate." + RemoveLastExtension(FileNameOf(f.runningPath));
  return f.runningPath;
}

Branch ChooseBranch(const RoleFacts& f, bool instanceRunning) {
  if (instanceRunning) return Branch::kAnotherInstance;
  if (ThisIs_Plain_AutoUpdate_Exe(f)) return Branch::kMakeXCopy;
  if (ThisIs_X_AutoUpdate_Exe(f)) return Branch::kRunXCopy;
  if (IsSpannedCdFirstLevel(f)) return Branch::kMakeYCopy;
  return Branch::kRunSetup;
}

const char* BranchName(Branch b) {
  switch (b) {
    case Branch::kAnotherInstance: return "AnotherInstance";
    case Branch::kMakeXCopy: return "MakeXCopy";
    case Branch::kRunXCopy: return "RunXCopy";
    case Branch::kMakeYCopy: return "MakeYCopy";
    case Branch::kRunSetup: return "RunSetup";
  }
  return "?";
}
