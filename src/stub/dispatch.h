// Which role a started stub plays: decided from the trailer, the running
// file's name and the switches only, as pure functions so that every rule is
// tested natively. The Win32 entry evaluates the window lookups and acts.
#pragma once

#include <cstdint>
#include <string>

struct RoleFacts {
  bool agentMode = false;       // trailer byte ThisIs_AutoUpdateProg is not zero
  uint8_t flags = 0;            // trailer byte Flags
  std::string runningPath;      // full path of the running file
  std::string agentFileName;    // options field AgentFileName
  int64_t spanCdLevel = 1;      // switch "/SpanCdLvl=", default 1
};


bool ThisIs_Plain_AutoUpdate_Exe(const RoleFacts& f);
bool ThisIs_X_AutoUpdate_Exe(const RoleFacts& f);
bool IsSpannedCdFirstLevel(const RoleFacts& f);
bool IsSpannedCdSecondLevel(const RoleFacts& f);
bool LogEnabledFor(bool agentMode, uint8_t flags);

// ".AutoUpdate.X_" + AgentFileName without its last extension: the class the
// running X_ copy registers and X_ExeIsRunning looks for.
std::string XCopyClassName(const std::string& agentFileName);
// The stub window's class: ".AutoUpdate." + running name without its last
// extension in agent mode, else the running file's full path.
std::string WindowClassName(const RoleFacts& f);

enum class Branch {
  kAnotherInstance,  // a window of our class exists: nothing but the control switches
  kMakeXCopy,        // plain agent
  kRunXCopy,         // the X_ copy: agent window, then delete itself
  kMakeYCopy,        // spanned-CD first level
  kRunSetup,         // setup stub (also an agent file under another name)
};
Branch ChooseBranch(const RoleFacts& f, bool instanceRunning);
const char* BranchName(Branch b);
