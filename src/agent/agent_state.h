// The agent's process-wide run-time values: what its timer and the control
// messages of a second start read and change. They live for the process and
// start as shown; the update cycle gives them their meaning.
#pragma once

#include <cstdint>

namespace agent {

// Ticks counted by the update cycle; starts at -3 (or minus "/SleepX=").
int64_t TimerCount();
void SetTimerCount(int64_t count);
// Ticks left before the agent ends; -1: no end set.
int64_t LifeCountdown();
void SetLifeCountdown(int64_t ticks);
// The next tick probes whatever the intervals say.
bool ForceProbe();
void SetForceProbe(bool on);
// How the forced probe reports (2: as a check the user asked for); 0 at start.
int CheckMode();
void SetCheckMode(int mode);
// The next tick only downloads the update information file.
bool JustDownloadInfoFile();
void SetJustDownloadInfoFile(bool on);
// 0 idle, 1 probing, 2 fetching or handling the update or inform file, 3 the
// new setup runs.
int32_t Activity();
void SetActivity(int32_t activity);

// Transient overrides of agent flags, in this fixed order; 255 means that the
// settings files decide.
enum Override : int {
  kAskBeforeProbe,
  kConfirmBeforeDownload,
  kConfirmBeforeInstall,
  kBackgroundUpdate,
  kInformFinish,
  kRestartProcess,
  kConfirmBeforeDownloadForce,
  kConfirmBeforeInstallForce,
  kOverrideCount
};
constexpr uint8_t kNotSet = 255;
uint8_t OverrideValue(Override which);
void SetOverride(Override which, uint8_t value);

// Every value back to its start (for tests that share a process).
void ResetState();

}  // namespace agent
