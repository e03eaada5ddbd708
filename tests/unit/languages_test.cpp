#include "package/languages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/byte_source.h"
#include "package/file_info.h"
#include "package/strings_block.h"
#include "support/field_list.h"
#include "unit/package_fixture.h"

namespace {

using strings_block::Section;

constexpr uint32_t kTurkishLocale = 0x041F;
constexpr uint32_t kGermanLocale = 0x0407;
constexpr uint32_t kUsEnglishLocale = 0x0409;

Section Make(const std::string& language, const std::string& title) {
  Section s;
  s.language = language;
  s.entries = {{"Charset", "0"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", title}};
  return s;
}

std::string Block(const std::vector<Section>& sections) {
  std::string block, error;
  EXPECT_TRUE(strings_block::Compose(sections, &block, &error)) << error;
  return block;
}

TEST(LanguageNames, ByIdentifier) {
  struct Case {
    uint32_t id;
    const char* name;
  } cases[] = {
      {9, "ENGLISH"},
      {31, "TURKISH"},
      {7, "GERMAN"},
      {54, "AFRIKAANS"},
      {42, "VIETNAMESE"},
      {26, "CROATIAN"},  // shared with SERBIAN; the first entry wins
      {2052, "CHINESE(SIMPLIFIED)"},
      {3098, "SERBIAN(CYRILIC)"},
      // Numbers are matched whole: these occur only inside 1043, 2052, 2067
      // and 3098.
      {43, ""},
      {52, ""},
      {67, ""},
      {98, ""},
      {0, ""},
      {1023, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageName(c.id), c.name) << c.id;
  EXPECT_EQ(SUB::Count(kLanguageNameTable), 51);
}

TEST(SectionChoice, ByUserLanguage) {
  const std::vector<Section> turkishOnly = {Make("Turkish", "T")};
  const std::vector<Section> turkishEnglish = {Make("Turkish", "T"), Make("English", "E")};
  const std::vector<Section> englishTurkish = {Make(" english ", "E"), Make("TURKISH", "T")};
  const std::vector<Section> turkishFrench = {Make("Turkish", "T"), Make("French", "F")};
  struct Case {
    const char* what;
    uint32_t locale;
    const std::vector<Section>* sections;
    int want;
  } cases[] = {
      {"one section serves everyone", kGermanLocale, &turkishOnly, 0},
      {"one section serves everyone", kUsEnglishLocale, &turkishOnly, 0},
      {"own language", kTurkishLocale, &turkishEnglish, 0},
      {"no own section: English", kGermanLocale, &turkishEnglish, 1},
      {"names trimmed, case ignored", kTurkishLocale, &englishTurkish, 1},
      {"names trimmed, case ignored", kGermanLocale, &englishTurkish, 0},
      {"neither own nor English", kGermanLocale, &turkishFrench, -1},
      {"own language among others", kTurkishLocale, &turkishFrench, 0},
      {"sublanguage ignored", 0x0807 /* Swiss German */, &turkishEnglish, 1},
      {"language without a name", 0x042B /* Armenian */, &turkishFrench, -1},
      {"language without a name", 0x042B, &turkishEnglish, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseSection(c.locale, *c.sections), c.want) << c.what << " " << c.locale;
  EXPECT_EQ(ChooseSection(kUsEnglishLocale, {}), -1);
}

TEST(SectionChoice, TextFromTheChosenSection) {
  Section turkish = Make("Turkish", "Kurulum");
  turkish.entries.push_back({"s1", ""});  // present but empty
  turkish.entries.push_back({"s10", "Indiriliyor"});
  turkish.entries.push_back({"S10", "second entry of the key"});
  const std::string block = Block({turkish, Make("English", "Setup")});

  SectionChoice choice;
  EXPECT_FALSE(choice.chosen());
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "s0", "default"), "Kurulum");
  EXPECT_TRUE(choice.chosen());
  EXPECT_EQ(choice.language(), "Turkish");
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "S0", "default"), "Kurulum");  // key case ignored
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "s1", "default"), "");  // empty value, not default
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "s10", "default"), "Indiriliyor");  // first wins
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "s2", "default"), "default");  // absent key
  EXPECT_EQ(choice.Text(block, kTurkishLocale, "", "default"), "default");
}

// The first lookup decides for the whole process: a later package, a later
// locale, answer from the section chosen then.
TEST(SectionChoice, MadeOnceThenShared) {
  const std::string first = Block({Make("Turkish", "Kurulum"), Make("English", "Setup")});
  const std::string second = Block({Make("German", "Installation"), Make("English", "Other")});
  SectionChoice choice;
  EXPECT_EQ(choice.Text(first, kGermanLocale, "s0", "d"), "Setup");
  EXPECT_EQ(choice.Text(second, kGermanLocale, "s0", "d"), "Setup");
  EXPECT_EQ(choice.Text(first, kTurkishLocale, "s0", "d"), "Setup");

  SectionChoice none;  // no section for the user: defaults for good
  const std::string noEnglish = Block({Make("Turkish", "Kurulum"), Make("French", "Installation")});
  EXPECT_EQ(none.Text(noEnglish, kGermanLocale, "s0", "d"), "d");
  EXPECT_TRUE(none.chosen());
  EXPECT_EQ(none.Text(second, kGermanLocale, "s0", "d"), "d");
}

TEST(SectionChoice, BadBlocksGiveDefaults) {
  const std::string good = Block({Make("English", "Setup")});
  const std::string blocks[] = {
      "",
      good.substr(0, good.size() - 1),  // not closed
      "\x02\x02",
      std::string("\x02\x01" "English\x01s0=x") + "\x02",  // section not closed
      "no delimiters at all",
  };
  for (const std::string& block : blocks) {
    SectionChoice choice;
    EXPECT_EQ(choice.Text(block, kUsEnglishLocale, "s0", "built-in"), "built-in")
        << SUB::ChangeDelimiter(block, '|');
  }
}

TEST(StubTexts, NumbersAndDefaults) {
  struct Case {
    const char* text;
    int def, want;
  } cases[] = {
      {"162", 0, 162}, {"abc", 0, 0}, {"", 8, 8}, {"12pt", 8, 8},
      {"99999999999", 8, 8},  // beyond an int
      {"-1", 8, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberOrDefault(c.text, c.def), c.want) << c.text;

  // Every key the builder may write has a built-in text for a package
  // without strings.
  for (size_t i = 0; i < strings_block::kKeyCount; ++i)
    EXPECT_FALSE(DefaultStubText(strings_block::kKeys[i]).empty()) << strings_block::kKeys[i];
  EXPECT_EQ(DefaultStubText("s9"), "");
  EXPECT_EQ(DefaultStubText("BtnText"), kDefaultButtonTexts);
  EXPECT_EQ(SUB::Count(kDefaultButtonTexts), 7);
  EXPECT_EQ(DefaultAgentText("s3"), "File Download Aborted!");
  EXPECT_EQ(DefaultAgentText("s2"), "");  // no built-in text
}

// Through package infos and the process's one choice. Only this test uses the
// process-wide choice of the test program; the locale is the test machine's,
// and no section here is named after a language anyone speaks.
TEST(StubTexts, ProcessChoiceServesEveryPackage) {
  Section own = Make("Klingon", "unused");
  Section english = Make("English", "Package one");
  english.entries[0].second = "162";
  english.entries[1].second = "x";
  english.entries[2].second = "Arial";
  FixtureBlocks first;
  first.blocks[0] = Block({own, english});
  const std::string firstFile = MakeSetup(first);
  const TGFileInfo one{MemorySource(firstFile)};

  FixtureBlocks second;
  second.blocks[0] = Block({Make("Klingon", "x"), Make("English", "Package two")});
  const std::string secondFile = MakeSetup(second);
  const TGFileInfo two{MemorySource(secondFile)};

  EXPECT_EQ(Text(one, "s0", "d"), "Package one");
  EXPECT_EQ(Text(two, "s0", "d"), "Package one");
  EXPECT_EQ(StubText(two, "s1"), "Extracting Files...");
  EXPECT_EQ(Charset(two), 162);
  EXPECT_EQ(FontSize(two), 8);  // "x" is not a number
  EXPECT_EQ(FontName(two), "Arial");
}

TEST(LanguageFile, PathAndValues) {
  EXPECT_EQ(LanguageFilePath("C:\\App"), "C:\\App\\HELP\\English\\Velkor.language.ini");
  struct Case {
    const char* value;
    const char* want;
  } cases[] = {
      {"|", ""},
      {"||", ""},
      {"|  two words |", "  two words "},  // the bars keep the blanks
      {"|only front", "|only front"},
      {"only back|", "only back|"},
      {"a|b", "a|b"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UnwrapLanguageValue(c.value), c.want) << c.value;
}

}  // namespace
