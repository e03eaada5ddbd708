#include "env/switches.h"

#include "env/text.h"
#include "support/field_list.h"

namespace {

const char kSwitchMark = '\x01';

// Where the program's own name may still begin (0-based, exclusive): inside
// the first argument by the system's rules (a quoted stretch up to its closing
// quote, or text up to the first blank or tab), or anywhere before the first
// blank that is followed by a switch prefix (an unquoted path with blanks).
size_t ProgramNameLimit(const std::string& commandLine) {
  size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  size_t tokenEnd;
  if (i < commandLine.size() && commandLine[i] == '"') {
    const size_t close = commandLine.find('"', i + 1);
    tokenEnd = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    tokenEnd = commandLine.find_first_of(" \t", i);
    if (tokenEnd == std::string::npos) tokenEnd = commandLine.size();
  }
  size_t firstSwitch = commandLine.size();
  for (size_t j = 0; j + 1 < commandLine.size(); ++j) {
    if (commandLine[j] == ' ' && (commandLine[j + 1] == '/' || commandLine[j + 1] == '-')) {
      firstSwitch = j;
      break;
    }
  }
  return tokenEnd > firstSwitch ? tokenEnd : firstSwitch;
}

std::string FileNameOfPath(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? path : path.substr(at + 1);
}

// Drops everything up to and including `what` when it occurs (ignoring case)
// and begins before `tokenEnd`. Sets *found.
std::string CutThrough(const std::string& commandLine, const std::string& what, size_t tokenEnd,
                       bool* found) {
  *found = false;
  const size_t pos = PosText(what, commandLine);
  if (pos == 0 || pos - 1 >= tokenEnd) return commandLine;
  *found = true;
  const std::string rest = commandLine.substr(pos - 1 + what.size());
  return Trim(rest).size() == 1 ? std::string() : rest;
}

}  // namespace

std::string GetCommandTail(const std::string& commandLine, const std::string& modulePath) {
  // The program's own name counts only where the program part of the command
  // line can be: a switch value naming a file of the same name
  // (/OriginExe=...\setup.exe) must not be taken for it when the program was
  // started by another name ("setup /OriginExe=...").
  const size_t tokenEnd = ProgramNameLimit(commandLine);
  const std::string name = FileNameOfPath(modulePath);
  bool found = false;
  if (!name.empty()) {
    std::string tail = CutThrough(commandLine, name + "\"", tokenEnd, &found);
    if (found) return Trim(tail);
    tail = CutThrough(commandLine, name, tokenEnd, &found);
    if (found) return Trim(tail);
  }
  if (!modulePath.empty()) {
    const size_t pos = PosText(modulePath, commandLine);
    if (pos != 0 && pos - 1 < tokenEnd) {
      std::string tail = commandLine;
      tail.erase(pos - 1, modulePath.size());
      return Trim(tail);
    }
  }
  return Trim(commandLine);
}

std::string GetSwitchValue(const std::string& commandLine, const std::string& modulePath,
                           const std::string& name, const std::string& def) {
  std::string key = Trim(name);
  if (key.empty()) return def;
  const char prefix = (key[0] == '/' || key[0] == '-') ? key[0] : '/';
  key = ReplaceAll(key, std::string(1, prefix), "", false);

  // One mark before each switch and one at each end: a field list whose
  // delimiter is the mark, one "NAME=value" field per switch.
  std::string list = ReplaceAll(" " + GetCommandTail(commandLine, modulePath), "\"", "", false);
  list = ReplaceAll(list, std::string(" ") + prefix, std::string(1, kSwitchMark), false);
  list = kSwitchMark + list + kSwitchMark;
  return Trim(SUB::GetValue(list, key, def, "", true));
}

int64_t GetSwitchNumber(const std::string& commandLine, const std::string& modulePath,
                        const std::string& name, int64_t def) {
  return TextToInt64(GetSwitchValue(commandLine, modulePath, name, ""), def);
}

bool HasSwitch(const std::string& commandLine, const std::string& modulePath,
               const std::string& name) {
  const std::string needle = Trim(name);
  if (needle.empty()) return false;
  return PosText(needle + " ", GetCommandTail(commandLine, modulePath) + " ") != 0;
}
