#include "agent/control_codes.h"

#include <algorithm>

#include "agent/agent_state.h"

namespace agent {

int64_t HandleControlCode(uint32_t code, int32_t value, AgentSettings* settings) {
  switch (code) {
    case 4: return settings->VersionOriginal();
    case 5: return settings->VersionNew();
    case 7: return Activity();
    case 8: return settings->ProbeSecondsInterval();
    case 9: return settings->ReAskSecondsInterval();
    case 10: return settings->ProbeSecondsLast();
    case 11: return settings->ReAskSecondsLast();
    case 12: settings->SetProbeSecondsInterval(value); return 0;
    case 13: settings->SetReAskSecondsInterval(value); return 0;
    case 14: settings->SetProbeSecondsLast(value); return 0;
    case 15: settings->SetReAskSecondsLast(value); return 0;
    case 20: SetOverride(kAskBeforeProbe, uint8_t(value)); return 0;
    case 21: SetOverride(kConfirmBeforeDownload, uint8_t(value)); return 0;
    case 22: SetOverride(kConfirmBeforeInstall, uint8_t(value)); return 0;
    case 23: SetOverride(kBackgroundUpdate, uint8_t(value)); return 0;
    case 24: SetOverride(kInformFinish, uint8_t(value)); return 0;
    case 25: SetOverride(kRestartProcess, uint8_t(value)); return 0;
    case 30: SetLifeCountdown(value); return 0;
    case 31:
      SetForceProbe(true);
      SetTimerCount(std::max<int64_t>(TimerCount(), 1));
      if (value == 2) SetCheckMode(2);
      return 0;
    case 32: SetJustDownloadInfoFile(true); return 0;
  }
  return 0;
}

}  // namespace agent
