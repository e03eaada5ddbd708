#include <windows.h>

#include "env/switches.h"

const std::string& ProcessCommandLine() {
  // Taken once: the rules promise one answer for one command line.
  static const std::string line = GetCommandLineA();
  return line;
}

const std::string& ProcessModulePath() {
  static const std::string path = [] {
    // GetModuleFileNameA truncates silently; grow until the name fits.
    std::string buf(MAX_PATH, '\0');
    for (;;) {
      const DWORD n = GetModuleFileNameA(nullptr, &buf[0], DWORD(buf.size()));
      if (n == 0) return std::string();
      if (n < buf.size()) return buf.substr(0, n);
      if (buf.size() >= 32768) return buf.substr(0, n);
      buf.resize(buf.size() * 2);
    }
  }();
  return path;
}

std::string GetCommandTail() { return GetCommandTail(ProcessCommandLine(), ProcessModulePath()); }

std::string GetSwitchValue(const std::string& name, const std::string& def) {
  return GetSwitchValue(ProcessCommandLine(), ProcessModulePath(), name, def);
}

int64_t GetSwitchNumber(const std::string& name, int64_t def) {
  return GetSwitchNumber(ProcessCommandLine(), ProcessModulePath(), name, def);
}

bool HasSwitch(const std::string& name) {
  return HasSwitch(ProcessCommandLine(), ProcessModulePath(), name);
}
