// The agent settings of the running program, through the system's INI
// functions. Windows builds only.
#pragma once

#include "agent/settings.h"

namespace agent {

// INI access through the profile functions of the system.
IniFiles& SystemIniFiles();
// The settings files beside the running program, named by its package.
AgentSettings RunningAgentSettings();

}  // namespace agent
