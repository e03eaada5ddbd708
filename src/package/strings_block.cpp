#include "package/strings_block.h"

#include "env/text.h"

namespace strings_block {

const char* const kKeys[] = {"Charset", "FontSize", "FontName", "s0",  "s1",      "s2",
                             "s3",      "s4",       "s5",       "s6",  "s7",      "s8",
                             "s10",     "s11",      "s12",      "BtnText", "Attention",
                             "Confirm", "Error"};
const size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

bool IsKnownKey(const std::string& name) {
  for (size_t i = 0; i < kKeyCount; ++i)
    if (SameText(name, kKeys[i])) return true;
  return false;
}

namespace {

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

bool HoldsDelimiter(const std::string& text) {
  return text.find(kSectionDelimiter) != std::string::npos ||
         text.find(kEntryDelimiter) != std::string::npos;
}

}  // namespace

bool Parse(const std::string& block, std::vector<Section>* out, std::string* error) {
  out->clear();
  if (block.empty()) return true;
  if (block[0] != kSectionDelimiter || block.back() != kSectionDelimiter || block.size() < 2)
    return Fail(error, "the strings block does not begin and end with its section delimiter 0x02");
  size_t pos = 1;
  while (pos < block.size()) {
    size_t end = block.find(kSectionDelimiter, pos);  // found: the block ends with one
    size_t number = out->size() + 1;
    if (end == pos) return Fail(error, "strings section " + std::to_string(number) + " is empty");
    // A section is read in place: [pos, end) is 0x01 language 0x01 entries.
    if (block[pos] != kEntryDelimiter || block[end - 1] != kEntryDelimiter || end - pos < 2)
      return Fail(error, "strings section " + std::to_string(number) +
                             " does not begin and end with its entry delimiter 0x01");
    Section section;
    size_t field = pos + 1;
    bool first = true;
    while (field < end) {
      size_t close = block.find(kEntryDelimiter, field);  // found before `end`
      std::string text = block.substr(field, close - field);
      if (first) {
        section.language = text;
        first = false;
      } else {
        size_t eq = text.find('=');
        if (eq == std::string::npos)
          section.entries.emplace_back(Trim(text), std::string());
        else
          section.entries.emplace_back(Trim(text.substr(0, eq)), text.substr(eq + 1));
      }
      field = close + 1;
    }
    out->push_back(std::move(section));
    pos = end + 1;
  }
  return true;
}

bool Compose(const std::vector<Section>& sections, std::string* block, std::string* error) {
  block->clear();
  if (sections.empty()) return true;
  std::string result(1, kSectionDelimiter);
  for (const Section& section : sections) {
    if (Trim(section.language).empty()) return Fail(error, "a strings section has no language name");
    if (HoldsDelimiter(section.language))
      return Fail(error, "language name \"" + section.language + "\" holds a 0x01 or 0x02 byte");
    result += kEntryDelimiter;
    result += section.language;
    result += kEntryDelimiter;
    for (const auto& entry : section.entries) {
      const std::string& key = entry.first;
      const std::string where = "key \"" + key + "\" of section \"" + section.language + "\"";
      if (Trim(key).empty()) return Fail(error, "an empty key in section \"" + section.language + "\"");
      if (key.find('=') != std::string::npos) return Fail(error, where + " holds \"=\"");
      if (HoldsDelimiter(key) || HoldsDelimiter(entry.second))
        return Fail(error, where + " holds a 0x01 or 0x02 byte");
      result += key;
      result += '=';
      result += entry.second;
      result += kEntryDelimiter;
    }
    result += kSectionDelimiter;
  }
  *block = std::move(result);
  return true;
}

}  // namespace strings_block
