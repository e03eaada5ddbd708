#include <windows.h>

#include "env/folders.h"
#include "env/registry.h"
#include "env/text.h"
#include "package/languages.h"

namespace {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int IniNumber(const std::string& file, const char* key, int def) {
  return NumberOrDefault(IntToText(ReadIniInt(file, "MsgBox", key, def)), def);
}

}  // namespace

uint32_t ThreadLocaleId() { return GetThreadLocale(); }

std::string AgentButtonTexts(const std::string& settingsFile) {
  return ReadIniString(settingsFile, "MsgBox", "BtnText", kDefaultButtonTexts);
}
std::string AgentErrorCaption(const std::string& settingsFile) {
  return ReadIniString(settingsFile, "MsgBox", "Error", "Error");
}
std::string AgentConfirmCaption(const std::string& settingsFile) {
  return ReadIniString(settingsFile, "MsgBox", "Confirm", "Confirm");
}
std::string AgentAttentionCaption(const std::string& settingsFile) {
  return ReadIniString(settingsFile, "MsgBox", "Attention", "Attention");
}
int AgentCharset(const std::string& settingsFile) { return IniNumber(settingsFile, "CharSet", 0); }
std::string AgentFontName(const std::string& settingsFile) {
  return ReadIniString(settingsFile, "MsgBox", "FontName", "Tahoma");
}
int AgentFontSize(const std::string& settingsFile) { return IniNumber(settingsFile, "FontSize", 8); }

std::string AgentText(const std::string& settingsFile, const std::string& key,
                      const std::string& def) {
  return ReadIniString(settingsFile, "AutoUpdate", key, def);
}

std::string LanguageTextFrom(const std::string& file, const std::string& key,
                             const std::string& def) {
  if (!FileExists(file)) return def;
  const std::string value = UnwrapLanguageValue(ReadIniString(file, "STRINGS", key, ""));
  return value.empty() ? def : value;
}

std::string LanguageText(const std::string& key, const std::string& def) {
  return LanguageTextFrom(LanguageFilePath(GetExeDir(false)), key, def);
}

std::string LanguageTextWithInsert(const std::string& key, const std::string& def,
                                   const std::string& insert) {
  return ReplaceAll(LanguageText(key, def), "<?>", insert, false);
}
