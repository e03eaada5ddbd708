#include "setup/launch.h"

#include "env/files.h"
#include "env/text.h"

std::string ThreadTag(uint32_t threadId) { return "_" + IntToText(threadId); }

std::string RemoveSwitch(const std::string& commandLine, const std::string& switchText) {
  if (switchText.empty()) return commandLine;
  const size_t at = commandLine.find(switchText);
  if (at == std::string::npos) return commandLine;
  const size_t next = commandLine.find('/', at + 1);
  std::string out = commandLine.substr(0, at);
  if (next != std::string::npos) out += commandLine.substr(next);
  return out;
}

std::string EngineFileName(const std::string& engineHead) {
  const size_t star = engineHead.find('*');
  return star == std::string::npos ? engineHead : Trim(engineHead.substr(0, star));
}

std::string EngineCommandLine(const EngineLaunch& launch) {
  std::string extra = launch.extraParams;
  const size_t star = launch.engineHead.find('*');
  if (star != std::string::npos)
    extra = Trim(extra + " " + Trim(launch.engineHead.substr(star + 1)));
  std::string line =
      QuoteText(SetTrailingBackslash(launch.workFolder, true) + EngineFileName(launch.engineHead));
  if (!extra.empty()) line += " " + extra;
  line += " /TH_ID=" + launch.threadTag;
  if (PosText("/OriginExe=", line) == 0) line += " /OriginExe=\"" + launch.runningFile + "\"";
  if (launch.agentMode) line += " /AutoUpdateProg";
  line = RemoveSwitch(line, "/SpanCdLvl=");
  return RemoveSwitch(line, "/SpanDiskFName1=");
}
