// The control codes a second start of the agent sends to the running agent
// window (wm_AgentMsg, WM_USER+101: wParam the code, lParam the value): read
// or write a setting, override a flag for the life of the process, or steer
// the next tick.
#pragma once

#include <cstdint>

#include "agent/settings.h"

namespace agent {

// Window messages of the agent window.
constexpr unsigned kShutDownMessage = 0x0400 + 99;  // wParam: the life countdown
constexpr unsigned kLocalMessage = 0x0400 + 100;    // wParam window, lParam message: the watcher
constexpr unsigned kAgentMessage = 0x0400 + 101;    // wParam code, lParam value

// Carries out `code` with `value` (lParam read as a signed 32-bit number) and
// returns its answer; 0 for codes that only change something and for every
// code outside the table, which change nothing.
int64_t HandleControlCode(uint32_t code, int32_t value, AgentSettings* settings);

}  // namespace agent
