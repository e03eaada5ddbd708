#include "agent/settings_win32.h"

#include "env/registry.h"
#include "env/switches.h"
#include "package/file_info.h"
#include "stub/roles.h"

namespace agent {
namespace {

class ProfileIniFiles : public IniFiles {
 public:
  std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& def) override {
    return ReadIniString(file, section, key, def);
  }
  int64_t ReadInt(const std::string& file, const std::string& section, const std::string& key,
                  int64_t def) override {
    return ReadIniInt(file, section, key, def);
  }
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    return WriteIniString(file, section, key, value);
  }
  bool WriteInt(const std::string& file, const std::string& section, const std::string& key,
                int64_t value) override {
    return WriteIniInt(file, section, key, value);
  }
};

}  // namespace

IniFiles& SystemIniFiles() {
  static ProfileIniFiles files;
  return files;
}

AgentSettings RunningAgentSettings() {
  const TGFileInfo* info = RunningPackageInfo();
  const TGFileInfo own = info ? TGFileInfo() : TGFileInfo::FromPath(ProcessModulePath());
  return AgentSettings(AgentFilesFor(ProcessModulePath(), info ? *info : own), &SystemIniFiles());
}

}  // namespace agent
