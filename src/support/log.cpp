#include "support/log.h"

#include "env/text.h"

namespace {

bool g_logEnabled = false;

std::string& Prefix() {
  static std::string prefix = "   ";
  return prefix;
}

bool IsFolderDelimiter(char c) { return c == '\\' || c == '/'; }

}  // namespace

void SetLogEnabled(bool enabled) { g_logEnabled = enabled; }
bool LogEnabled() { return g_logEnabled; }
void SetLogPrefix(const std::string& prefix) { Prefix() = prefix; }
std::string LogPrefix() { return Prefix(); }

std::string LogFileNameFor(const std::string& programPath) {
  size_t nameStart = programPath.size();
  while (nameStart > 0 && !IsFolderDelimiter(programPath[nameStart - 1])) --nameStart;
  std::string name = programPath.substr(nameStart);
  if (name.compare(0, 2, "X_") != 0) name = "X_" + name;
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  name += ".log";
  if (nameStart == 0) return name;
  size_t folderEnd = nameStart;
  while (folderEnd > 0 && IsFolderDelimiter(programPath[folderEnd - 1])) --folderEnd;
  return programPath.substr(0, folderEnd) + "\\" + name;
}

std::string ComposeLogLine(const std::string& timeText, uint32_t threadId,
                           const std::string& prefix, const std::string& message) {
  return timeText + " " + PadLeft(std::to_string(threadId), 5, ' ') + prefix + message + "\r\n";
}
