// The roles a started stub hands over to after the dispatch. Each is reached
// through the function named here; until its subsystem is built, a function
// writes a trace line naming itself and returns.
#pragma once

#include <cstdint>
#include <string>

class TGFileInfo;

// The package info of the running file, set by the entry for the whole run
// (nullptr before and after).
void SetRunningPackageInfo(const TGFileInfo* info);
const TGFileInfo* RunningPackageInfo();
// The entry's package info, or one read from the running file when the
// window runs without the entry (test tools).
const TGFileInfo& RunningPackage();

// The exit code of the process: 0 unless the launch sequence sets the engine's.
void SetStubExitCode(uint32_t code);
uint32_t StubExitCode();

// Plain agent: copy to "X_" + name and start the copy.
void MakeAndStartXCopy(bool xCopyWasRunning);
// Plain agent: post "/STOP=", "/WM_MSG=", "/TEST=" to the X_ copy; apply "/TRANSIENTx=".
void HandleControlSwitches(bool xCopyWasRunning);
// X_ copy: the forced test-mode read of the agent settings.
void ReadTestModeForced();
// Spanned-CD first level: copy to "Y_" + name in the work folder and restart there.
void MakeAndStartYCopy();
// The stub window and its message loop, until the loop ends (stub/window.h).
void RunStubWindow(const std::string& windowClassName);
// The setup stub's work, started by the window's first timer tick: timer 1
// off first, then the web download or the extraction and the launch; ends
// the message loop when done.
void RunStartRoutine();
// The web-download setup: downloads the real setup file from `source` (a
// URL, or a folder that already holds `setupFileName`) into the work folder
// and runs its launch sequence.
void RunWebDownloadSetup(const std::string& workFolder, const std::string& source,
                         const std::string& setupFileName);
// The agent's update cycle, called by every timer tick in agent mode.
void TimerTick();
// Deletes the running file (and its folder) once this process has ended.
void StartSelfDeletion(bool removeFolder);
