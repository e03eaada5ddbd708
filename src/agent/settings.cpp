#include "agent/settings.h"

#include "env/paths.h"
#include "package/file_info.h"

namespace agent {
namespace {

constexpr char kOriginalSetup[] = "OriginalSetup";
constexpr char kNewSetup[] = "NewSetup";

}  // namespace

AgentFiles AgentFilesFor(const std::string& programPath, const TGFileInfo& info) {
  const std::string folder = FolderOf(programPath) + "\\";
  return {folder + info.SettingsFileName(), folder + info.InfoFileName()};
}

LocalTime AgentTimeToLocal(int64_t seconds) {
  // Whole days since 1899-12-30 and the second of that day, floored so that
  // times before the epoch keep a time of day from 0 to 86399.
  int64_t days = seconds / 86400, second = seconds % 86400;
  if (second < 0) {
    second += 86400;
    days -= 1;
  }
  // Civil date from a day count (days since 1970-01-01; 1899-12-30 is 25569
  // days before it), in 400-year eras of 146097 days that start on 1 March.
  const int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = int(doy - (153 * mp + 2) / 5 + 1);
  t.month = int(mp < 10 ? mp + 3 : mp - 9);
  t.year = int(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = int(second / 3600);
  t.minute = int(second / 60 % 60);
  t.second = int(second % 60);
  return t;
}

std::string ReadableAgentTime(int64_t seconds) {
  return FormatDayMonYearTime(" ", AgentTimeToLocal(seconds));
}

int64_t AgentSettings::ReadOriginal(const char* key) {
  return ini_->ReadInt(files_.original, kOriginalSetup, key, 0);
}

int64_t AgentSettings::ProbeSecondsInterval() { return ReadOriginal("ProbeSecondsInterval"); }
int64_t AgentSettings::ReAskSecondsInterval() { return ReadOriginal("ReAskSecondsInterval"); }
int64_t AgentSettings::ProbeSecondsLast() { return ReadOriginal("ProbeSecondsLast"); }
int64_t AgentSettings::ReAskSecondsLast() { return ReadOriginal("ReAskSecondsLast"); }
int32_t AgentSettings::VersionOriginal() { return int32_t(uint32_t(ReadOriginal("VersionOriginal"))); }
int32_t AgentSettings::VersionNew() {
  return int32_t(uint32_t(ini_->ReadInt(files_.updateInfo, kNewSetup, "VersionNew", 0)));
}

bool AgentSettings::SetProbeSecondsInterval(int64_t seconds) {
  return ini_->WriteInt(files_.original, kOriginalSetup, "ProbeSecondsInterval", seconds);
}
bool AgentSettings::SetReAskSecondsInterval(int64_t seconds) {
  return ini_->WriteInt(files_.original, kOriginalSetup, "ReAskSecondsInterval", seconds);
}
bool AgentSettings::SetProbeSecondsLast(int64_t agentTime) { return SetLast("ProbeSecondsLast", agentTime); }
bool AgentSettings::SetReAskSecondsLast(int64_t agentTime) { return SetLast("ReAskSecondsLast", agentTime); }

bool AgentSettings::SetLast(const char* key, int64_t agentTime) {
  const bool written = ini_->WriteInt(files_.original, kOriginalSetup, key, agentTime);
  ini_->WriteString(files_.original, kOriginalSetup, std::string("__") + key,
                    ReadableAgentTime(agentTime));
  return written;
}

}  // namespace agent
