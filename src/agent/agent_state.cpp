#include "agent/agent_state.h"

namespace agent {
namespace {

struct State {
  int64_t timerCount = -3;
  int64_t lifeCountdown = -1;
  bool forceProbe = false;
  int checkMode = 0;
  bool justDownloadInfoFile = false;
  int32_t activity = 0;
  uint8_t overrides[kOverrideCount] = {kNotSet, kNotSet, kNotSet, kNotSet,
                                       kNotSet, kNotSet, kNotSet, kNotSet};
};
State g_state;

bool Valid(Override which) { return which >= 0 && which < kOverrideCount; }

}  // namespace

int64_t TimerCount() { return g_state.timerCount; }
void SetTimerCount(int64_t count) { g_state.timerCount = count; }
int64_t LifeCountdown() { return g_state.lifeCountdown; }
void SetLifeCountdown(int64_t ticks) { g_state.lifeCountdown = ticks; }
bool ForceProbe() { return g_state.forceProbe; }
void SetForceProbe(bool on) { g_state.forceProbe = on; }
int CheckMode() { return g_state.checkMode; }
void SetCheckMode(int mode) { g_state.checkMode = mode; }
bool JustDownloadInfoFile() { return g_state.justDownloadInfoFile; }
void SetJustDownloadInfoFile(bool on) { g_state.justDownloadInfoFile = on; }
int32_t Activity() { return g_state.activity; }
void SetActivity(int32_t activity) { g_state.activity = activity; }

uint8_t OverrideValue(Override which) { return Valid(which) ? g_state.overrides[which] : kNotSet; }
void SetOverride(Override which, uint8_t value) {
  if (Valid(which)) g_state.overrides[which] = value;
}

void ResetState() { g_state = State(); }

}  // namespace agent
