#include "package/strings_block.h"

#include <gtest/gtest.h>

#include "support/field_list.h"

namespace {

using strings_block::Section;

std::vector<Section> TwoLanguages() {
  return {
      {"Turkish", {{"Charset", "162"}, {"FontSize", "8"}, {"FontName", "Tahoma"},
                   {"s1", "Dosyalar <B>açılıyor</B>...<P>"}, {"s7", ""}}},
      {"English", {{"Charset", "0"}, {"FontSize", "9"}, {"FontName", "Segoe UI"},
                   {"s8", "Insert <B>DISK #<DISK_NUM></B>; a=b stays"}}},
  };
}

TEST(StringsBlock, ComposeThenParseAndLookUp) {
  std::string block, error;
  ASSERT_TRUE(strings_block::Compose(TwoLanguages(), &block, &error)) << error;
  EXPECT_EQ(block.front(), '\x02');
  EXPECT_EQ(block.back(), '\x02');
  std::vector<Section> parsed;
  ASSERT_TRUE(strings_block::Parse(block, &parsed, &error)) << error;
  ASSERT_EQ(parsed.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(parsed[i].language, TwoLanguages()[i].language);
    EXPECT_EQ(parsed[i].entries, TwoLanguages()[i].entries);
  }
  // The stub reads a section with the field-list rules: check a composed
  // block the same way.
  std::string english = SUB::GetField(block, 1, "");
  EXPECT_EQ(SUB::GetField(english, 0, ""), "English");
  EXPECT_EQ(SUB::GetValue(english, "s8", "missing", "empty"),
            "Insert <B>DISK #<DISK_NUM></B>; a=b stays");
  EXPECT_EQ(SUB::GetValue(english, "FONTNAME", "missing", "empty"), "Segoe UI");
  EXPECT_EQ(SUB::GetValue(SUB::GetField(block, 0, ""), "s7", "missing", "empty"), "empty");

  std::vector<Section> none;
  ASSERT_TRUE(strings_block::Compose({}, &block, &error));
  EXPECT_TRUE(block.empty());
  EXPECT_TRUE(strings_block::Parse("", &none, &error));
  EXPECT_TRUE(none.empty());
}

TEST(StringsBlock, ComposeRefusesWhatTheGrammarCannotHold) {
  struct Case {
    const char* what;
    Section section;
  } cases[] = {
      {"value with 0x01", {"English", {{"s0", "a\x01" "b"}}}},
      {"value with 0x02", {"English", {{"s0", "a\x02" "b"}}}},
      {"key with =", {"English", {{"s=0", "x"}}}},
      {"empty key", {"English", {{" ", "x"}}}},
      {"empty language", {"  ", {{"s0", "x"}}}},
      {"language with 0x02", {"Eng\x02", {}}},
  };
  for (const auto& c : cases) {
    std::string block = "unchanged", error;
    EXPECT_FALSE(strings_block::Compose({c.section}, &block, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(block.empty()) << c.what;
  }
}

TEST(StringsBlock, ParseReportsMalformedBlocks) {
  struct Case {
    const char* what;
    std::string block;
    size_t sectionsBefore;
  } cases[] = {
      {"no leading 0x02", std::string("\x01" "English\x01" "\x02"), 0},
      {"not closed", std::string("\x02\x01" "English\x01"), 0},
      {"lone delimiter", std::string("\x02"), 0},
      {"empty section", std::string("\x02\x01" "A\x01" "\x02\x02"), 1},
      {"section without 0x01", std::string("\x02\x01" "A\x01" "\x02" "B=1\x02"), 1},
  };
  for (const auto& c : cases) {
    std::vector<Section> out;
    std::string error;
    EXPECT_FALSE(strings_block::Parse(c.block, &out, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(out.size(), c.sectionsBefore) << c.what;
  }
  // An entry without "=" is kept whole as a key; blanks around a key vanish.
  std::vector<Section> out;
  std::string error;
  ASSERT_TRUE(strings_block::Parse(std::string("\x02\x01" "X\x01" "loose\x01" " s0 = v \x01" "\x02"),
                                   &out, &error));
  ASSERT_EQ(out[0].entries.size(), 2u);
  EXPECT_EQ(out[0].entries[0], std::make_pair(std::string("loose"), std::string()));
  EXPECT_EQ(out[0].entries[1], std::make_pair(std::string("s0"), std::string(" v ")));
}

TEST(StringsBlock, KnownKeys) {
  EXPECT_TRUE(strings_block::IsKnownKey("s12"));
  EXPECT_TRUE(strings_block::IsKnownKey("btntext"));
  EXPECT_FALSE(strings_block::IsKnownKey("s9"));
  EXPECT_FALSE(strings_block::IsKnownKey("s13"));
}

}  // namespace
