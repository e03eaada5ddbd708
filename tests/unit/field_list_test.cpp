#include "support/field_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kNul(1, '\0');

TEST(FieldList, Count) {
  const struct {
    std::string list;
    int64_t count;
  } cases[] = {
      {"", 0},      {"|", 0},        {"|a", 0},     {"|a|b", 0},  {"||", 1},
      {"|a|b|", 2}, {"|a||b|", 3},   {"*a|b*", 1},  {"xax", 1},   {"|a|b*", 0},
      {kNul + "a" + kNul, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(SUB::Count(c.list), c.count) << c.list;
}

TEST(FieldList, GetField) {
  const struct {
    std::string list;
    int64_t index;
    std::string want;
  } cases[] = {
      {"|a|b|", 0, "a"},
      {"|a|b|", 1, "b"},
      {"|a|b|", 2, "x"},       // beyond the last field
      {"|a|b|", -1, "b"},      // -1 is the last field
      {"|a|b|", -2, "x"},      // below -1
      {"|a||b|", 1, "x"},      // an empty field reads as missing
      {"|a|b", 1, "x"},        // not closed: no field 1
      {"|a|b", 0, "a"},        // ... but field 0 is closed
      {"|a|b", -1, "x"},       // Count is 0, so there is no last field
      {"", 0, "x"},
      {kNul, 0, "x"},          // the lone NUL is the empty list
      {"|a|b|", INT64_MAX, "x"},
      {"*x|y*b*", 0, "x|y"},   // the first character is the delimiter
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::GetField(c.list, c.index, "x"), c.want) << c.list << " @" << c.index;
  }
}

TEST(FieldList, GetFieldInt) {
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 0, -9), 12);
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 1, -9), 31);
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 2, -9), -3);
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 3, -9), -9);  // not a number
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 4, -9), -9);  // empty
  EXPECT_EQ(SUB::GetFieldInt("|12|$1F|-3|abc||", 9, -9), -9);  // missing
}

TEST(FieldList, IndexOf) {
  const struct {
    std::string list, item;
    bool prefix;
    int64_t want;
  } cases[] = {
      {"|Apple|Pear|", "pear", false, 1},
      {"|Apple|Pear|", "APPLE", false, 0},
      {"|Apple|Pear|", "pe", true, 1},
      {"|Apple|Pear|", "pe", false, -7},     // whole fields only without the prefix flag
      {"|Apple|Pear|", "plum", false, -7},
      {"|Apple|Pear|", " pear ", false, 1},  // found by the trimmed item
      {"  |Apple|Pear|  ", "pear", false, 1},  // the list is trimmed
      {"|a||b|", "b", false, 2},             // empty fields are counted
      {"", "a", false, -7},
      {"|a|", "", false, -7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::IndexOf(c.list, c.item, -7, c.prefix), c.want) << c.list << " " << c.item;
  }
}

TEST(FieldList, Contains) {
  const struct {
    std::string list, item;
    bool trim, ignoreCase, want;
  } cases[] = {
      {"|a|Bc|", "bc", false, true, true},
      {"|a|Bc|", "bc", false, false, false},
      {"|a|Bc|", "Bc", false, false, true},
      {"|a|Bc|", " Bc ", false, false, false},
      {"|a|Bc|", " Bc ", true, false, true},
      {"|a|Bc|", "B", false, true, false},   // whole fields only
      {"|a|Bc|", "", false, true, false},
      {"", "a", false, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::Contains(c.list, c.item, c.trim, c.ignoreCase), c.want)
        << c.list << " " << c.item;
  }
}

TEST(FieldList, GetValue) {
  const struct {
    std::string list, name;
    bool blankMode;
    std::string want;
  } cases[] = {
      {"|Charset=162|Name=Turkish|", "charset", true, "162"},
      {"|Charset=162|Name=Turkish|", "Name", true, "Turkish"},
      {"|Charset=162|Name=Turkish|", "Name=", true, "Turkish"},  // "=" already there
      {"|Charset=162|Name=Turkish|", "Size", true, "missing"},
      {"|A=|", "A", true, "empty"},
      {"|Key = v|", "Key", true, " v"},            // blanks before "=" vanish, after stay
      {"|Key   =v|", "key", true, "v"},
      {"|A =1|B =2|", "B", true, "2"},             // every " =" with the blank mode
      {"|A =1|B =2|", "A", false, "1"},            // only the first without it
      {"|A =1|B =2|", "B", false, "missing"},
      {"|A=1|A=2|", "A", true, "1"},               // the first match wins
      {"|AB=1|A=2|", "A", true, "2"},              // the key holds the "="
      {"|A=x=y|", "A", true, "x=y"},
      {"|==5|", "=", true, "5"},                   // a lone "=" gets a second one
      {"|A=1", "A", true, "missing"},              // not closed
      {"||", "A", true, "missing"},                // too short
      {"", "A", true, "missing"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::GetValue(c.list, c.name, "missing", "empty", c.blankMode), c.want)
        << c.list << " " << c.name;
  }
}

TEST(FieldList, PairSides) {
  EXPECT_EQ(SUB::LeftSides("|a=1|b=2=3|c|"), "|a|b||");
  EXPECT_EQ(SUB::RightSides("|a=1|b=2=3|c|"), "|1|2=3||");
  EXPECT_EQ(SUB::LeftSides("|a|b"), "");  // not closed: no fields
  // A name holding "|" makes the rebuilt list pick another delimiter.
  EXPECT_EQ(SUB::LeftSides("*x|y=1*z=2*"), "*x|y*z*");
  std::string names, values;
  SUB::SplitPairs("|Charset=162|Name=Turkish|", &names, &values);
  EXPECT_EQ(names, "|Charset|Name|");
  EXPECT_EQ(values, "|162|Turkish|");
}

TEST(FieldList, JoinPairs) {
  EXPECT_EQ(SUB::JoinPairs("|a|b|", "|1|2|", false), "|a=1|b=2|");
  EXPECT_EQ(SUB::JoinPairs("|a|b|c|", "|1|", false), "|a=1|b=|c=|");
  EXPECT_EQ(SUB::JoinPairs("|a||", "|1|||", false), "|a=1|=|=|");
  EXPECT_EQ(SUB::JoinPairs("|a||", "|1|||", true), "|a=1|");
  EXPECT_EQ(SUB::JoinPairs("", "", true), "");
}

TEST(FieldList, DeleteField) {
  const struct {
    std::string list;
    int64_t index;
    std::string want;
  } cases[] = {
      {"|a|b|c|", 1, "|a|c|"}, {"|a|b|c|", 0, "|b|c|"}, {"|a|b|c|", 2, "|a|b|"},
      {"|a|b|c|", 3, "|a|b|c|"}, {"|a|b|c|", -1, "|a|b|c|"}, {"|a|", 0, "|"},
      {"", 0, ""}, {"|a|b", 0, "|a|b"},
  };
  for (const auto& c : cases) EXPECT_EQ(SUB::DeleteField(c.list, c.index), c.want) << c.list;
}

TEST(FieldList, SetField) {
  const struct {
    std::string list;
    int64_t index;
    std::string text, want;
  } cases[] = {
      {"|a|b|", 3, "d", "|a|b||d|"},
      {"|a|b|", 0, "x|y", "*x|y*b*"},   // the delimiter in the text: a new one is picked
      {"|a|b|", 1, "", "|a||"},
      {"", 0, "a", "|a|"},              // the empty list is taken as "|"
      {"*a*", 1, "b|c", "*a*b|c*"},     // "|" is not this list's delimiter
      {"|a|b|", -1, "z", "|a|b|"},      // no such index: unchanged
      {"|a|", INT64_MAX, "z", "|a|"},   // absurd index: unchanged, no huge text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::SetField(c.list, c.index, c.text), c.want) << c.list << " @" << c.index;
  }
}

TEST(FieldList, FromArrayAndAddItems) {
  EXPECT_EQ(SUB::FromArray({"a", "b", "a"}, false), "|a|b|a|");
  EXPECT_EQ(SUB::FromArray({"a", "b", "A"}, true), "|a|b|");
  EXPECT_EQ(SUB::FromArray({"x|y", "z"}, false), "*x|y*z*");
  EXPECT_EQ(SUB::FromArray({}, false), "");

  const struct {
    std::string list;
    std::vector<std::string> texts;
    bool unique;
    std::string want;
  } cases[] = {
      {"|a|", {"b"}, false, "|a|b|"},
      {"|a|", {"b", "c"}, false, "|a|b|c|"},
      {"", {"b", "c"}, false, "|b|c|"},
      {"|a|", {"b|c"}, false, "*a*b|c*"},  // clash: a new delimiter for all
      {"|a|", {"A", "b"}, true, "|a|b|"},
      {"*a*", {"b|c"}, false, "*a*b|c*"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::AddItems(c.list, c.texts, c.unique), c.want) << c.list;
  }
}

TEST(FieldList, ReverseFields) {
  EXPECT_EQ(SUB::ReverseFields("|a|b|c|"), "|c|b|a|");
  EXPECT_EQ(SUB::ReverseFields("|a||c|"), "|c||a|");
  EXPECT_EQ(SUB::ReverseFields("*a*"), "*a*");
  EXPECT_EQ(SUB::ReverseFields(""), "");
}

TEST(FieldList, RemoveDuplicates) {
  const struct {
    std::string list, want;
  } cases[] = {
      {"|a|A|b||a|", "|a|b|"},
      {"*x|y*X|Y*z*", "*x|y*z*"},   // the original delimiter comes back
      {"|a| a |b|", "|a|b|"},       // compared trimmed against the kept field
      {"| a |a|", "| a |a|"},       // the kept " a " is not "a"
      {"|||", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SUB::RemoveDuplicates(c.list), c.want) << c.list;
}

TEST(FieldList, TrimEmptyFields) {
  const struct {
    std::string list;
    bool trailing, leading;
    std::string want;
  } cases[] = {
      {"||a|b|||", true, false, "||a|b|"},
      {"||a|b|||", false, true, "|a|b|||"},
      {"||a|b|||", true, true, "|a|b|"},
      {"||||", true, false, ""},   // a lone delimiter becomes empty
      {"|a|b", true, true, "|a|b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SUB::TrimEmptyFields(c.list, c.trailing, c.leading), c.want) << c.list;
  }
}

TEST(FieldList, PickDelimiter) {
  const struct {
    std::string list, want;
  } cases[] = {
      {kNul + "a|b*" + kNul + "c" + kNul, "~a|b*~c~"},
      {"|a|b|", "|a|b|"},            // no NUL: its own delimiter is replaced first
      {"*a|b*", "*a|b*"},
      {"~a~", "|a|"},                // ... and may come back a different one
      {kNul + "|*~^!@#$&" + kNul, "\xFF|*~^!@#$&\xFF"},
      {kNul + "|*~^!@#$&\xFF" + kNul, kNul + "|*~^!@#$&\xFF" + kNul},  // all taken: NUL stays
      {kNul, ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SUB::PickDelimiter(c.list), c.want);
}

TEST(FieldList, ChangeDelimiter) {
  EXPECT_EQ(SUB::ChangeDelimiter("|a|b|", '*'), "*a*b*");
  EXPECT_EQ(SUB::ChangeDelimiter("", '*'), "");
}

}  // namespace
