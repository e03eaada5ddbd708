#include "package/languages.h"

#include <climits>

#include "env/text.h"
#include "package/file_info.h"
#include "support/field_list.h"

const char kLanguageNameTable[] =
    "|AFRIKAANS    = 54|ALBANIAN     = 28|ARABIC       = 01|BASQUE       = 45"
    "|BELARUSIAN   = 35|BULGARIAN    = 02|CATALAN      = 03|CHINESE      = 04"
    "|CROATIAN     = 26|CZECH        = 05|DANISH       = 06|DUTCH        = 19"
    "|ENGLISH      = 09|ESTONIAN     = 37|FAEROESE     = 56|FARSI        = 41"
    "|FINNISH      = 11|FRENCH       = 12|GERMAN       = 07|GREEK        = 08"
    "|HEBREW       = 13|HUNGARIAN    = 14|ICELANDIC    = 15|INDONESIAN   = 33"
    "|ITALIAN      = 16|JAPANESE     = 17|KOREAN       = 18|LATVIAN      = 38"
    "|LITHUANIAN   = 39|NORWEGIAN    = 20|POLISH       = 21|PORTUGUESE   = 22"
    "|ROMANIAN     = 24|RUSSIAN      = 25|SERBIAN      = 26|SLOVAK       = 27"
    "|SLOVENIAN    = 36|SPANISH      = 10|SWEDISH      = 29|THAI         = 30"
    "|TURKISH      = 31|UKRAINIAN    = 34|VIETNAMESE   = 42"
    "|CHINESE(SIMPLIFIED) = 2052|CHINESE(TRADITIONAL) = 1028|DUTCH(FLEMISH) = 2067"
    "|DUTCH(STANDARD) = 1043|PORTUGUESE(PORTUGAL) = 2070|PORTUGUESE(BRAZIL) = 1046"
    "|SERBIAN(LATIN) = 2074|SERBIAN(CYRILIC) = 3098|";

namespace {

struct KeyDefault {
  const char* key;
  const char* text;
};

const KeyDefault kStubDefaults[] = {
    {"Charset", "0"},
    {"FontSize", "8"},
    {"FontName", "Tahoma"},
    {"s0", "Velkor Installation Suite"},
    {"s1", "Extracting Files..."},
    {"s2", "Velkor will extract files to your Temp Drive (<DRIVE>)<P>"},
    {"s3", "Limited Free Space on your Temp Drive! (<DRIVE>)<P>"},
    {"s4", "<P>Estimated space required on your Temp drive is: <T>  <SPACE_REQ> MB<P>"},
    {"s5", "Free space available on your Temp drive is: <T>  <SPACE_AVAIL> MB<P>"},
    {"s6", "<P>Continue with Setup?<P>"},
    {"s7", "Bad CRC!<P>This indicates that your setup file might be corrupted..."},
    {"s8", "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue"},
    {"s10", "Downloading File..."},
    {"s11",
     "<b>INTERNET DOWNLOAD</b><p><p>Velkor will download the Setup File from the Internet..."
     "<p>Please make sure your Internet connection is properly set.<p><p>Continue with Setup?"
     "<p><P>Size: <SIZE> MB<P>"},
    {"s12", "No valid Internet Connection.<p>Can not Download File!"},
    {"BtnText", kDefaultButtonTexts},
    {"Attention", "Attention"},
    {"Confirm", "Confirm"},
    {"Error", "Error"},
};

const KeyDefault kAgentDefaults[] = {
    {"s3", "File Download Aborted!"},    {"s4", "File not Found!"},
    {"s5", "Unable to Download File!"},  {"s31", "Downloading INFO File..."},
    {"s32", "Downloading UPDATE File..."}, {"s33", "Downloading INFORM File..."},
    {"s34", "New Version"},              {"s35", "Download"},
};

template <size_t N>
std::string Lookup(const KeyDefault (&table)[N], const std::string& key) {
  for (const KeyDefault& d : table)
    if (SameText(key, d.key)) return d.text;
  return std::string();
}

SectionChoice& ProcessSectionChoice() {
  static SectionChoice choice;
  return choice;
}

}  // namespace

std::string LanguageName(uint32_t languageId) {
  // Whole numbers are compared: a text search would find 43 inside 1043 and
  // name an Armenian user's language "DUTCH(STANDARD)".
  const int64_t count = SUB::Count(kLanguageNameTable);
  for (int64_t i = 0; i < count; ++i) {
    const std::string entry = SUB::GetField(kLanguageNameTable, i);
    const size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    if (TextToInt64(Trim(entry.substr(eq + 1)), -1) == int64_t(languageId))
      return Trim(entry.substr(0, eq));
  }
  return std::string();
}

int FindSectionByName(const std::vector<strings_block::Section>& sections, const std::string& name) {
  if (sections.size() == 1) return 0;
  const std::string wanted = Trim(name);
  if (wanted.empty()) return -1;
  for (size_t i = 0; i < sections.size(); ++i)
    if (SameText(Trim(sections[i].language), wanted)) return int(i);
  return -1;
}

int ChooseSection(uint32_t localeId, const std::vector<strings_block::Section>& sections) {
  const int found = FindSectionByName(sections, LanguageName(localeId & 0x3FF));
  return found >= 0 ? found : FindSectionByName(sections, "English");
}

std::string SectionChoice::Text(const std::string& stringsBlock, uint32_t localeId,
                                const std::string& key, const std::string& def) {
  if (!chosen_) {
    chosen_ = true;
    std::vector<strings_block::Section> sections;
    std::string error;
    if (!strings_block::Parse(stringsBlock, &sections, &error)) sections.clear();
    const int index = ChooseSection(localeId, sections);
    found_ = index >= 0;
    if (found_) section_ = std::move(sections[size_t(index)]);
  }
  if (!found_ || key.empty()) return def;
  for (const auto& entry : section_.entries)
    if (SameText(entry.first, key)) return entry.second;
  return def;
}

std::string DefaultStubText(const std::string& key) { return Lookup(kStubDefaults, key); }
std::string DefaultAgentText(const std::string& key) { return Lookup(kAgentDefaults, key); }

std::string Text(const TGFileInfo& info, const std::string& key, const std::string& def) {
  return ProcessSectionChoice().Text(info.strings_block(), ThreadLocaleId(), key, def);
}

std::string StubText(const TGFileInfo& info, const std::string& key) {
  return Text(info, key, DefaultStubText(key));
}

int NumberOrDefault(const std::string& text, int def) {
  const int64_t v = TextToInt64(text, def);
  return v < INT_MIN || v > INT_MAX ? def : int(v);
}

int Charset(const TGFileInfo& info) { return NumberOrDefault(Text(info, "Charset", "0"), 0); }
int FontSize(const TGFileInfo& info) { return NumberOrDefault(Text(info, "FontSize", "8"), 8); }
std::string FontName(const TGFileInfo& info) { return Text(info, "FontName", "Tahoma"); }

std::string LanguageFilePath(const std::string& exeFolder) {
  return exeFolder + "\\HELP\\" + kHelpLanguage + "\\Velkor.language.ini";
}

std::string UnwrapLanguageValue(const std::string& value) {
  if (value == "|") return std::string();
  if (value.size() > 1 && value.front() == '|' && value.back() == '|')
    return value.substr(1, value.size() - 2);
  return value;
}
