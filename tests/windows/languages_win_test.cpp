#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "package/file_info.h"
#include "package/languages.h"
#include "package/strings_block.h"
#include "unit/package_fixture.h"
#include "windows/self_child.h"

namespace {

// The table's numbers against the system's own language identifiers.
TEST(LanguageNamesOfTheSystem, MatchWindowsIdentifiers) {
  struct Case {
    LANGID id;
    const char* name;
  } cases[] = {
      {LANG_AFRIKAANS, "AFRIKAANS"},   {LANG_ALBANIAN, "ALBANIAN"},     {LANG_ARABIC, "ARABIC"},
      {LANG_BASQUE, "BASQUE"},         {LANG_BELARUSIAN, "BELARUSIAN"}, {LANG_BULGARIAN, "BULGARIAN"},
      {LANG_CATALAN, "CATALAN"},       {LANG_CHINESE, "CHINESE"},       {LANG_CROATIAN, "CROATIAN"},
      {LANG_CZECH, "CZECH"},           {LANG_DANISH, "DANISH"},         {LANG_DUTCH, "DUTCH"},
      {LANG_ENGLISH, "ENGLISH"},       {LANG_ESTONIAN, "ESTONIAN"},     {LANG_FAEROESE, "FAEROESE"},
      {LANG_FARSI, "FARSI"},           {LANG_FINNISH, "FINNISH"},       {LANG_FRENCH, "FRENCH"},
      {LANG_GERMAN, "GERMAN"},         {LANG_GREEK, "GREEK"},           {LANG_HEBREW, "HEBREW"},
      {LANG_HUNGARIAN, "HUNGARIAN"},   {LANG_ICELANDIC, "ICELANDIC"},   {LANG_INDONESIAN, "INDONESIAN"},
      {LANG_ITALIAN, "ITALIAN"},       {LANG_JAPANESE, "JAPANESE"},     {LANG_KOREAN, "KOREAN"},
      {LANG_LATVIAN, "LATVIAN"},       {LANG_LITHUANIAN, "LITHUANIAN"}, {LANG_NORWEGIAN, "NORWEGIAN"},
      {LANG_POLISH, "POLISH"},         {LANG_PORTUGUESE, "PORTUGUESE"}, {LANG_ROMANIAN, "ROMANIAN"},
      {LANG_RUSSIAN, "RUSSIAN"},       {LANG_SERBIAN, "CROATIAN"},      {LANG_SLOVAK, "SLOVAK"},
      {LANG_SLOVENIAN, "SLOVENIAN"},   {LANG_SPANISH, "SPANISH"},       {LANG_SWEDISH, "SWEDISH"},
      {LANG_THAI, "THAI"},             {LANG_TURKISH, "TURKISH"},       {LANG_UKRAINIAN, "UKRAINIAN"},
      {LANG_VIETNAMESE, "VIETNAMESE"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), "CHINESE(SIMPLIFIED)"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), "CHINESE(TRADITIONAL)"},
      {MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH_BELGIAN), "DUTCH(FLEMISH)"},
      {MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH), "DUTCH(STANDARD)"},
      {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE), "PORTUGUESE(PORTUGAL)"},
      {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), "PORTUGUESE(BRAZIL)"},
      {MAKELANGID(LANG_SERBIAN, SUBLANG_SERBIAN_LATIN), "SERBIAN(LATIN)"},
      {MAKELANGID(LANG_SERBIAN, SUBLANG_SERBIAN_CYRILLIC), "SERBIAN(CYRILIC)"},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageName(c.id), c.name) << c.id;
}

class AgentTextsTest : public ::testing::Test {
 protected:
  self_child::TempFolder folder_{"agent_texts"};
  std::string file_ = folder_.File("upd.original");
};

TEST_F(AgentTextsTest, FromTheSettingsFile) {
  ASSERT_TRUE(self_child::WriteWholeFile(file_,
                                         "[MsgBox]\r\n"
                                         "BtnText=|Tamam|Iptal|Evet|Hayir|Durdur|Yeniden|Yoksay|\r\n"
                                         "Error=Hata\r\n"
                                         "Confirm=Onay\r\n"
                                         "Attention=Dikkat\r\n"
                                         "CharSet=162\r\n"
                                         "FontName=Arial\r\n"
                                         "FontSize=10\r\n"
                                         "[AutoUpdate]\r\n"
                                         "s3=Indirme durduruldu\r\n"
                                         "s11=\r\n"));
  EXPECT_EQ(AgentButtonTexts(file_), "|Tamam|Iptal|Evet|Hayir|Durdur|Yeniden|Yoksay|");
  EXPECT_EQ(AgentErrorCaption(file_), "Hata");
  EXPECT_EQ(AgentConfirmCaption(file_), "Onay");
  EXPECT_EQ(AgentAttentionCaption(file_), "Dikkat");
  EXPECT_EQ(AgentCharset(file_), 162);
  EXPECT_EQ(AgentFontName(file_), "Arial");
  EXPECT_EQ(AgentFontSize(file_), 10);
  EXPECT_EQ(AgentText(file_, "s3", DefaultAgentText("s3")), "Indirme durduruldu");
  EXPECT_EQ(AgentText(file_, "s4", DefaultAgentText("s4")), "File not Found!");
  EXPECT_EQ(AgentText(file_, "s11", "caller's"), "caller's");  // empty reads as the default
  EXPECT_EQ(AgentText(file_, "Error", "none"), "none");  // another section's key
}

TEST_F(AgentTextsTest, DefaultsWithoutTheFile) {
  EXPECT_EQ(AgentButtonTexts(file_), kDefaultButtonTexts);
  EXPECT_EQ(AgentErrorCaption(file_), "Error");
  EXPECT_EQ(AgentConfirmCaption(file_), "Confirm");
  EXPECT_EQ(AgentAttentionCaption(file_), "Attention");
  EXPECT_EQ(AgentCharset(file_), 0);
  EXPECT_EQ(AgentFontName(file_), "Tahoma");
  EXPECT_EQ(AgentFontSize(file_), 8);
  EXPECT_EQ(AgentText(file_, "s31", DefaultAgentText("s31")), "Downloading INFO File...");

  ASSERT_TRUE(self_child::WriteWholeFile(file_, "[MsgBox]\r\nCharSet=abc\r\nFontSize=99999999999\r\n"));
  EXPECT_EQ(AgentCharset(file_), 0);
  EXPECT_EQ(AgentFontSize(file_), 8);
}

TEST(LanguageFileTexts, Values) {
  self_child::TempFolder folder("language_file");
  const std::string file = folder.File("Velkor.language.ini");
  ASSERT_TRUE(self_child::WriteWholeFile(file,
                                         "[STRINGS]\r\n"
                                         "kept=|   leading blanks and words|\r\n"
                                         "bar=|\r\n"
                                         "plain=  Plain text  \r\n"
                                         "empty=\r\n"));
  struct Case {
    const char* key;
    const char* want;
  } cases[] = {
      {"kept", "   leading blanks and words"},
      {"bar", "default"},
      {"plain", "Plain text"},
      {"empty", "default"},
      {"missing", "default"},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageTextFrom(file, c.key, "default"), c.want) << c.key;
  EXPECT_EQ(LanguageTextFrom(folder.File("none.ini"), "kept", "default"), "default");
  EXPECT_EQ(LanguageTextFrom(folder.path(), "kept", "default"), "default");  // a folder is no file

  // No help folder beside the test program: the default, with its inserts.
  EXPECT_EQ(LanguageTextWithInsert("kept", "Close <?> and <?>.", "Notepad"),
            "Close Notepad and Notepad.");
}

// The section is chosen from the thread's locale at the first lookup of the
// process, so each locale needs a fresh process. Wine honours
// SetThreadLocale; the user's default locale follows the Linux locale only
// where that locale is installed.
const char kTurkishTitle[] = "Kurulum Sihirbazi";
const char kEnglishTitle[] = "Setup Wizard";

TEST(StubTextByLocale, TurkishThenGerman) {
  struct Case {
    const char* locale;
    const char* want;
  } cases[] = {
      {"041F", kTurkishTitle},  // Turkish: its own section
      {"0407", kEnglishTitle},  // German: none of its own, so English
  };
  for (const auto& c : cases) {
    const self_child::Result r =
        self_child::Run("StubTextByLocaleChild.*", {{"SETUP_STUB_TEST_CHILD", c.locale}});
    EXPECT_EQ(r.exitCode, 0) << c.locale;
    EXPECT_EQ(r.report, std::string(c.locale) + " " + c.want) << c.locale;
  }
}

TEST(StubTextByLocaleChild, Answer) {
  const std::string locale = self_child::ChildArgument();
  if (locale.empty()) GTEST_SKIP() << "runs as the child of StubTextByLocale.TurkishThenGerman";
  const LCID lcid = MAKELCID(LANGID(strtoul(locale.c_str(), nullptr, 16)), SORT_DEFAULT);
  ASSERT_TRUE(SetThreadLocale(lcid));

  strings_block::Section turkish, english;
  turkish.language = "Turkish";
  turkish.entries = {{"Charset", "162"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", kTurkishTitle}};
  english.language = "English";
  english.entries = {{"Charset", "0"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", kEnglishTitle}};
  FixtureBlocks blocks;
  std::string error;
  ASSERT_TRUE(strings_block::Compose({turkish, english}, &blocks.blocks[0], &error)) << error;
  const std::string setup = MakeSetup(blocks);
  const TGFileInfo info{MemorySource(setup)};

  char id[8] = {};
  wsprintfA(id, "%04X", unsigned(GetThreadLocale()));
  ASSERT_TRUE(self_child::Report(std::string(id) + " " + Text(info, "s0", DefaultStubText("s0"))));
}

}  // namespace
