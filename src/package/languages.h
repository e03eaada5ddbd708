// The stub's texts: lookups in the strings block of a package, in the section
// of the user's language, with built-in English defaults; the agent's texts
// from its original settings file; texts from the help folder's language file.
//
// The section is chosen once per process, on the first lookup, from the
// thread's locale, and then serves every package info of the process, also
// one made later for another setup file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/strings_block.h"

class TGFileInfo;

// ---- Language names ----

// The language name table: a "|" field list of 51 entries "NAME<blanks>= nn",
// the first 43 with the Windows primary language identifier (two digits at
// least), the last eight with full locale identifiers.
extern const char kLanguageNameTable[];

// The table name for a language or locale identifier ("ENGLISH" for 9,
// "CHINESE(SIMPLIFIED)" for 2052); empty when no entry carries that number.
std::string LanguageName(uint32_t languageId);

// ---- Section choice ----

// The first section whose language name equals `name` (both trimmed, ASCII
// case ignored); -1 when none does. A block of one section answers with it,
// whatever its name.
int FindSectionByName(const std::vector<strings_block::Section>& sections, const std::string& name);

// The section for a user: the one named after the primary language (the low
// 10 bits) of `localeId`, else the one named "English"; -1 when neither.
int ChooseSection(uint32_t localeId, const std::vector<strings_block::Section>& sections);

// A section choice made once: the first Text() decides from the strings block
// it is given; later calls answer from that section whatever block they pass.
class SectionChoice {
 public:
  // The value of `key` in the chosen section (the first entry of that key,
  // ASCII case ignored; a key present with an empty value gives ""), or `def`
  // when the key is absent or no section was chosen. A block that does not
  // follow the grammar counts as one without sections.
  std::string Text(const std::string& stringsBlock, uint32_t localeId, const std::string& key,
                   const std::string& def);
  bool chosen() const { return chosen_; }
  // The chosen section's language name; "" before the choice or when none.
  const std::string& language() const { return section_.language; }

 private:
  bool chosen_ = false;
  bool found_ = false;
  strings_block::Section section_;
};

// The calling thread's locale identifier (GetThreadLocale; natively US
// English, 0x409).
uint32_t ThreadLocaleId();

// ---- Stub texts of a package ----

// The built-in English text of a strings-block key ("s0" gives "Velkor
// Installation Suite"); "" for a key the stub does not use.
std::string DefaultStubText(const std::string& key);

// Lookups through the process's section choice (made with ThreadLocaleId()).
std::string Text(const TGFileInfo& info, const std::string& key, const std::string& def);
// Text(key, DefaultStubText(key)).
std::string StubText(const TGFileInfo& info, const std::string& key);
// "Charset" and "FontSize" as numbers (0 and 8 when absent or not a number),
// "FontName" ("Tahoma").
int Charset(const TGFileInfo& info);
int FontSize(const TGFileInfo& info);
std::string FontName(const TGFileInfo& info);
// The same rules over a text already looked up, for tests and other sources.
int NumberOrDefault(const std::string& text, int def);

// ---- Agent texts (original settings file; Windows builds) ----

inline constexpr char kDefaultButtonTexts[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";

// The built-in text of an "AutoUpdate" key ("s3" gives "File Download
// Aborted!"); "" for keys without one.
std::string DefaultAgentText(const std::string& key);

// Section "MsgBox" of the settings file.
std::string AgentButtonTexts(const std::string& settingsFile);   // "BtnText"
std::string AgentErrorCaption(const std::string& settingsFile);  // "Error"
std::string AgentConfirmCaption(const std::string& settingsFile);
std::string AgentAttentionCaption(const std::string& settingsFile);
int AgentCharset(const std::string& settingsFile);  // "CharSet", 0
std::string AgentFontName(const std::string& settingsFile);  // "Tahoma"
int AgentFontSize(const std::string& settingsFile);  // 8
// `key` of section "AutoUpdate", or `def`.
std::string AgentText(const std::string& settingsFile, const std::string& key,
                      const std::string& def);

// ---- The help folder's language file ----

// The help language; nothing in the stub changes it.
inline constexpr char kHelpLanguage[] = "English";

// exeFolder + "\HELP\" + help language + "\Velkor.language.ini".
std::string LanguageFilePath(const std::string& exeFolder);
// A value of exactly "|" is empty; one of two or more bytes that begins and
// ends with "|" loses both (the bars keep blanks that the INI reader would
// trim).
std::string UnwrapLanguageValue(const std::string& value);
// `key` of section "STRINGS" of the language file `file` (unwrapped), or `def`
// when the file is missing or the value is empty. Windows builds.
std::string LanguageTextFrom(const std::string& file, const std::string& key,
                             const std::string& def);
// The same over the language file beside the running program.
std::string LanguageText(const std::string& key, const std::string& def);
// LanguageText with every "<?>" replaced by `insert`.
std::string LanguageTextWithInsert(const std::string& key, const std::string& def,
                                   const std::string& insert);
