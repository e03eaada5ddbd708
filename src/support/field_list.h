// Field lists: a text whose first character is its delimiter and whose fields
// are each closed by it ("|a||b|" holds a, an empty field and b). SUB groups
// the stateless operations on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SUB {
 public:
  // Number of fields; 0 for texts shorter than 2 or not closed by the delimiter.
  static int64_t Count(const std::string& list);
  // Field `index` (from 0; -1 is the last), or `def` when missing or empty.
  static std::string GetField(const std::string& list, int64_t index, const std::string& def = "");
  static int64_t GetFieldInt(const std::string& list, int64_t index, int64_t def);
  static int64_t IndexOf(const std::string& list, const std::string& item, int64_t defIndex,
                         bool prefix);
  static bool Contains(const std::string& list, const std::string& item, bool trim,
                       bool ignoreCase);
  // Value of the pair field "name=value" (name case-insensitive, first wins).
  static std::string GetValue(const std::string& list, const std::string& name,
                              const std::string& missingDefault, const std::string& emptyDefault,
                              bool blankMode = true);
  static std::string LeftSides(const std::string& list);
  static std::string RightSides(const std::string& list);
  static void SplitPairs(const std::string& list, std::string* names, std::string* values);
  static std::string JoinPairs(const std::string& names, const std::string& values,
                               bool dropTrailingEmpties);
  static std::string DeleteField(const std::string& list, int64_t index);
  // Field `index` replaced, or added with empty fields before it. A negative
  // index, or one more than 2^20 fields beyond the end, leaves the list as it
  // is (no huge text from a bad index).
  static std::string SetField(const std::string& list, int64_t index, const std::string& text);
  static std::string FromArray(const std::vector<std::string>& texts, bool unique);
  static std::string AddItems(const std::string& list, const std::vector<std::string>& texts,
                              bool unique);
  static std::string ReverseFields(const std::string& list);
  static std::string RemoveDuplicates(const std::string& list);
  static std::string TrimEmptyFields(const std::string& list, bool trailing, bool leading);
  static std::string PickDelimiter(const std::string& list);
  static std::string ChangeDelimiter(const std::string& list, char delimiter);
};
