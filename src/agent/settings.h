// The agent's two settings files, beside the running program: the original
// settings file (written when the application was installed; the agent
// updates a few keys) and the update information file (downloaded at every
// probe). Nothing is cached: every read opens the file again, so a value
// another program changed is seen at the next read.
#pragma once

#include <cstdint>
#include <string>

#include "env/text.h"

class TGFileInfo;

namespace agent {

// The INI access the settings go through; the Windows builds use the
// system's profile functions, tests a map.
class IniFiles {
 public:
  virtual ~IniFiles() = default;
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) = 0;
  virtual int64_t ReadInt(const std::string& file, const std::string& section,
                          const std::string& key, int64_t def) = 0;
  virtual bool WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
  virtual bool WriteInt(const std::string& file, const std::string& section,
                        const std::string& key, int64_t value) = 0;
};

struct AgentFiles {
  std::string original;    // folder + InfoFileName up to its first "." + ".original"
  std::string updateInfo;  // folder + InfoFileName
};
// The files of the agent at `programPath`, named by its package's options.
AgentFiles AgentFilesFor(const std::string& programPath, const TGFileInfo& info);

// Agent clock: whole seconds since 1899-12-30 00:00 local time. The readable
// form written beside a stored time: "09-DEC-2026 18:29:23" (the time with the
// user's time separator).
LocalTime AgentTimeToLocal(int64_t seconds);
std::string ReadableAgentTime(int64_t seconds);

// The keys of both files that the stub window's control messages reach.
class AgentSettings {
 public:
  AgentSettings(AgentFiles files, IniFiles* ini) : files_(std::move(files)), ini_(ini) {}

  const AgentFiles& files() const { return files_; }

  // [OriginalSetup], default 0.
  int64_t ProbeSecondsInterval();
  int64_t ReAskSecondsInterval();
  int64_t ProbeSecondsLast();
  int64_t ReAskSecondsLast();
  int32_t VersionOriginal();  // the low 32 bits
  // [NewSetup] of the update information file, default 0, low 32 bits.
  int32_t VersionNew();

  bool SetProbeSecondsInterval(int64_t seconds);
  bool SetReAskSecondsInterval(int64_t seconds);
  // Also write "__ProbeSecondsLast" / "__ReAskSecondsLast" in readable form.
  bool SetProbeSecondsLast(int64_t agentTime);
  bool SetReAskSecondsLast(int64_t agentTime);

 private:
  int64_t ReadOriginal(const char* key);
  bool SetLast(const char* key, int64_t agentTime);

  AgentFiles files_;
  IniFiles* ini_;
};

}  // namespace agent
