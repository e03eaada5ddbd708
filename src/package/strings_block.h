// The strings block: the stub's user-visible texts, one section per language.
//
//   block   := 0x02 section 0x02 [section 0x02 ...]
//   section := 0x01 language 0x01 [key "=" value 0x01 ...]
//
// Each section opens with the entries "Charset", "FontSize" and "FontName".
// Values run to the next 0x01 and may hold mark-up ("<P>", "<B>", ...) and
// placeholders ("<DRIVE>"); they can hold neither delimiter byte.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace strings_block {

constexpr char kSectionDelimiter = '\x02';
constexpr char kEntryDelimiter = '\x01';

struct Section {
  std::string language;
  // In block order. A parsed entry without "=" has the whole text as key and
  // an empty value.
  std::vector<std::pair<std::string, std::string>> entries;
};

// The names of every key the stub looks up in a section, the three header
// entries first. (Their built-in texts belong to the reading side.)
extern const char* const kKeys[];
extern const size_t kKeyCount;
// Whether `name` is one of kKeys (ASCII case-insensitive, as the stub finds it).
bool IsKnownKey(const std::string& name);

// Splits a block into sections. Runs in one linear pass over the block and
// allocates no more than the block's own size. An empty block is valid and
// has no sections. On a malformed block (wrong or missing delimiters, an empty
// section) returns false with a one-line reason; `out` then holds the sections
// read before the fault.
bool Parse(const std::string& block, std::vector<Section>* out, std::string* error);

// Composes a block. Fails (with a reason) when a language, key or value holds
// a delimiter byte, a key is empty or holds "=", or a language is empty. No
// sections compose to an empty block.
bool Compose(const std::vector<Section>& sections, std::string* block, std::string* error);

}  // namespace strings_block
