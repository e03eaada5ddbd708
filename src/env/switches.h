// Command-line switches of the form /NAME=value. The rules take the command
// line and the program's own module path as inputs, so they run natively in
// tests; switches_win32.cpp supplies the process's own values.
#pragma once

#include <cstdint>
#include <string>

// The command line less the program's own name, trimmed.
std::string GetCommandTail(const std::string& commandLine, const std::string& modulePath);
// Trimmed value of switch `name` ("/X", "/X=", "X" and "-X" forms), `def` when
// absent, empty when present with an empty value.
std::string GetSwitchValue(const std::string& commandLine, const std::string& modulePath,
                           const std::string& name, const std::string& def);
// The value as a signed 64-bit number, `def` when absent, empty or not a number.
int64_t GetSwitchNumber(const std::string& commandLine, const std::string& modulePath,
                        const std::string& name, int64_t def);
// Whether `name` followed by a blank occurs in the command tail plus a blank.
bool HasSwitch(const std::string& commandLine, const std::string& modulePath,
               const std::string& name);

// The same over the running process's command line (GetCommandLineA, taken
// once) and module path (Windows builds only).
std::string GetCommandTail();
std::string GetSwitchValue(const std::string& name, const std::string& def);
int64_t GetSwitchNumber(const std::string& name, int64_t def);
bool HasSwitch(const std::string& name);
const std::string& ProcessCommandLine();
const std::string& ProcessModulePath();
