// Every field-list operation on arbitrary bytes: none may crash, hang or
// allocate beyond a small multiple of the input, and the operations must
// agree with each other on well-formed lists.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/field_list.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Byte 0 picks an index, byte 1 picks flags; the rest is the list, then an
  // item after the first 0xFE byte.
  const int64_t index = int64_t(int8_t(data[0]));
  const uint8_t flags = data[1];
  std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t cut = rest.find('\xFE');
  const std::string list = cut == std::string::npos ? rest : rest.substr(0, cut);
  const std::string item = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  const bool a = flags & 1, b = flags & 2;

  const int64_t count = SUB::Count(list);
  Check(count >= 0 && size_t(count) <= list.size());
  const bool wellFormed = count > 0;

  for (int64_t i = -2; i <= count; ++i) {
    const std::string f = SUB::GetField(list, i, "");
    Check(f.size() <= list.size());
    if (!f.empty()) Check(f.find(list[0]) == std::string::npos);
  }
  (void)SUB::GetFieldInt(list, index, 0);
  const int64_t at = SUB::IndexOf(list, item, -5, a);
  Check(at == -5 || (at >= 0 && size_t(at) <= list.size()));
  (void)SUB::Contains(list, item, a, b);
  const std::string value = SUB::GetValue(list, item, "<m>", "<e>", b);
  Check(value == "<m>" || value == "<e>" || value.size() <= list.size());

  std::string names, values;
  SUB::SplitPairs(list, &names, &values);
  Check(names.size() <= list.size() + 2 && values.size() <= list.size() + 2);
  const std::string joined = SUB::JoinPairs(names, values, a);
  Check(joined.size() <= 2 * list.size() + 4 * size_t(count) + 2);

  const std::string deleted = SUB::DeleteField(list, index);
  if (wellFormed && index >= 0 && index < count) Check(SUB::Count(deleted) == count - 1);

  const std::string set = SUB::SetField(list, index, item);
  // NUL is the provisional delimiter of rebuilt lists, so a list or text
  // holding one may come back garbled (but never out of bounds).
  if (index >= 0 && !item.empty() && item.find('\0') == std::string::npos &&
      list.find('\0') == std::string::npos) {
    Check(SUB::GetField(set, index, "") == item);
  }

  const std::string reversed = SUB::ReverseFields(list);
  if (wellFormed) Check(SUB::ReverseFields(reversed) == list);

  const std::string unique = SUB::RemoveDuplicates(list);
  Check(SUB::Count(unique) <= count);

  const std::string trimmed = SUB::TrimEmptyFields(list, a, b);
  Check(trimmed.size() <= list.size());

  const std::vector<std::string> texts = {item, list.substr(0, list.size() / 2)};
  (void)SUB::FromArray(texts, a);
  const std::string added = SUB::AddItems(list, texts, b);
  Check(added.size() <= 2 * list.size() + 2 * item.size() + 8);

  const std::string picked = SUB::PickDelimiter(list);
  Check(picked.size() == list.size() || picked.empty());
  Check(SUB::ChangeDelimiter(list, '*').size() == list.size());
  return 0;
}
