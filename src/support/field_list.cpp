#include "support/field_list.h"

#include <set>

#include "env/text.h"

namespace {

// Delimiters a rebuilt list may take, in order of preference.
const char kCandidates[] = "|*~^!@#$&\xFF";

// Fields of a list in order: the texts between consecutive delimiters. A last
// stretch that no delimiter closes is not a field.
std::vector<std::string> Fields(const std::string& list) {
  std::vector<std::string> out;
  if (list.size() < 2) return out;
  const char d = list[0];
  size_t from = 1;
  for (size_t at = list.find(d, from); at != std::string::npos; at = list.find(d, from)) {
    out.push_back(list.substr(from, at - from));
    from = at + 1;
  }
  return out;
}

// NUL + each field + NUL, then a real delimiter picked.
std::string JoinPicked(const std::vector<std::string>& fields) {
  std::string s(1, '\0');
  for (const std::string& f : fields) {
    s += f;
    s += '\0';
  }
  return SUB::PickDelimiter(s);
}

std::string Join(char d, const std::vector<std::string>& fields) {
  std::string s(1, d);
  for (const std::string& f : fields) {
    s += f;
    s += d;
  }
  return s;
}

// Removes blanks standing directly before an "=": all of them, or only the
// run before the first "=" that has one.
std::string RemoveBlanksBeforeEquals(const std::string& s, bool all) {
  std::string r;
  r.reserve(s.size());
  bool done = false;
  for (char c : s) {
    if (c == '=' && !done) {
      const size_t before = r.size();
      while (!r.empty() && r.back() == ' ') r.pop_back();
      if (!all && r.size() != before) done = true;
    }
    r += c;
  }
  return r;
}

}  // namespace

int64_t SUB::Count(const std::string& list) {
  if (list.size() < 2 || list.back() != list.front()) return 0;
  int64_t n = 0;
  for (size_t i = 1; i < list.size(); ++i) n += list[i] == list[0];
  return n;
}

std::string SUB::GetField(const std::string& list, int64_t index, const std::string& def) {
  if (list.size() < 2) return def;  // also the lone NUL, read as the empty list
  if (index == -1) index = Count(list) - 1;
  if (index < 0) return def;
  const char d = list[0];
  size_t from = 1;
  for (int64_t i = 0;; ++i) {
    const size_t at = list.find(d, from);
    if (at == std::string::npos) return def;
    if (i == index) return at == from ? def : list.substr(from, at - from);
    from = at + 1;
  }
}

int64_t SUB::GetFieldInt(const std::string& list, int64_t index, int64_t def) {
  return TextToInt64(GetField(list, index, ""), def);
}

int64_t SUB::IndexOf(const std::string& list, const std::string& item, int64_t defIndex,
                     bool prefix) {
  const std::string l = UpperAscii(Trim(list));
  const std::string it = UpperAscii(item);
  if (l.empty() || it.empty()) return defIndex;
  const char d = l[0];
  size_t at = std::string::npos;
  for (const std::string& what : {it, Trim(it)}) {
    const std::string pattern = prefix ? d + what : d + what + d;
    at = l.find(pattern);
    if (at != std::string::npos) break;
  }
  if (at == std::string::npos) return defIndex;
  int64_t n = 0;
  for (size_t i = 1; i <= at; ++i) n += l[i] == d;
  return n;
}

bool SUB::Contains(const std::string& list, const std::string& item, bool trim, bool ignoreCase) {
  const std::string l = trim ? Trim(list) : list;
  const std::string it = trim ? Trim(item) : item;
  if (l.empty() || it.empty()) return false;
  const std::string pattern = l[0] + it + l[0];
  return ignoreCase ? PosText(pattern, l) != 0 : l.find(pattern) != std::string::npos;
}

std::string SUB::GetValue(const std::string& list, const std::string& name,
                          const std::string& missingDefault, const std::string& emptyDefault,
                          bool blankMode) {
  if (list.size() <= 2 || list.back() != list.front()) return missingDefault;
  const char d = list[0];
  std::string key = d + name;
  if (name.empty() || name.back() != '=' || name == "=") key += '=';
  const std::string l =
      list.find(' ') == std::string::npos ? list : RemoveBlanksBeforeEquals(list, blankMode);
  const size_t at = PosText(key, l);
  if (at == 0) return missingDefault;
  const size_t from = at - 1 + key.size();
  const size_t end = l.find(d, from);
  const std::string value = l.substr(from, end == std::string::npos ? std::string::npos : end - from);
  return value.empty() ? emptyDefault : value;
}

std::string SUB::LeftSides(const std::string& list) {
  std::vector<std::string> out;
  for (const std::string& f : Fields(Count(list) > 0 ? list : std::string())) {
    const size_t eq = f.find('=');
    out.push_back(eq == std::string::npos ? std::string() : f.substr(0, eq));
  }
  return JoinPicked(out);
}

std::string SUB::RightSides(const std::string& list) {
  std::vector<std::string> out;
  for (const std::string& f : Fields(Count(list) > 0 ? list : std::string())) {
    const size_t eq = f.find('=');
    out.push_back(eq == std::string::npos ? std::string() : f.substr(eq + 1));
  }
  return JoinPicked(out);
}

void SUB::SplitPairs(const std::string& list, std::string* names, std::string* values) {
  if (names) *names = LeftSides(list);
  if (values) *values = RightSides(list);
}

std::string SUB::JoinPairs(const std::string& names, const std::string& values,
                           bool dropTrailingEmpties) {
  const std::string n = dropTrailingEmpties ? TrimEmptyFields(names, true, false) : names;
  const std::string v = dropTrailingEmpties ? TrimEmptyFields(values, true, false) : values;
  const std::vector<std::string> nf = Fields(Count(n) > 0 ? n : std::string());
  const std::vector<std::string> vf = Fields(Count(v) > 0 ? v : std::string());
  std::vector<std::string> out;
  for (size_t i = 0; i < nf.size() || i < vf.size(); ++i) {
    out.push_back((i < nf.size() ? nf[i] : std::string()) + "=" +
                  (i < vf.size() ? vf[i] : std::string()));
  }
  return JoinPicked(out);
}

std::string SUB::DeleteField(const std::string& list, int64_t index) {
  if (list.empty() || index < 0 || index >= Count(list)) return list;
  std::vector<std::string> fields = Fields(list);
  fields.erase(fields.begin() + static_cast<ptrdiff_t>(index));
  return Join(list[0], fields);
}

std::string SUB::SetField(const std::string& list, int64_t index, const std::string& text) {
  const std::string l = list.empty() ? std::string("|") : list;
  const int64_t count = Count(l);
  // Growing a list by more than this many fields is taken as a bad index, not
  // as a request for a huge text.
  const int64_t kMaxNewFields = 1 << 20;
  if (index < 0 || index - count > kMaxNewFields) return list;
  std::vector<std::string> fields = count > 0 ? Fields(l) : std::vector<std::string>();
  if (index >= count) fields.resize(size_t(index) + 1);
  fields[size_t(index)] = text;
  const char d = l[0];
  for (const std::string& f : fields) {
    if (f.find(d) != std::string::npos) return JoinPicked(fields);
  }
  return Join(d, fields);
}

std::string SUB::FromArray(const std::vector<std::string>& texts, bool unique) {
  const std::string r = JoinPicked(texts);
  return unique ? RemoveDuplicates(r) : r;
}

std::string SUB::AddItems(const std::string& list, const std::vector<std::string>& texts,
                          bool unique) {
  std::string r;
  if (list.empty()) {
    r = FromArray(texts, false);
  } else {
    const char d = list[0];
    bool clash = false;
    for (const std::string& t : texts) clash = clash || t.find(d) != std::string::npos;
    if (!clash) {
      r = list;
      for (const std::string& t : texts) {
        r += t;
        r += d;
      }
    } else {
      r = ChangeDelimiter(list, '\0');
      for (const std::string& t : texts) {
        r += t;
        r += '\0';
      }
      r = PickDelimiter(r);
    }
  }
  return unique ? RemoveDuplicates(r) : r;
}

std::string SUB::ReverseFields(const std::string& list) {
  if (list.empty()) return list;
  std::vector<std::string> fields = Count(list) > 0 ? Fields(list) : std::vector<std::string>();
  return Join(list[0], std::vector<std::string>(fields.rbegin(), fields.rend()));
}

std::string SUB::RemoveDuplicates(const std::string& list) {
  // A field is dropped when it is empty or when, trimmed, it equals (ignoring
  // case) a field already kept; the kept field keeps its own spelling.
  std::vector<std::string> kept;
  std::set<std::string> seen;
  for (const std::string& f : Fields(Count(list) > 0 ? list : std::string())) {
    if (f.empty()) continue;
    const std::string trimmed = Trim(f);
    if (!trimmed.empty() && seen.count(UpperAscii(trimmed)) != 0) continue;
    kept.push_back(f);
    seen.insert(UpperAscii(f));
  }
  return kept.empty() ? std::string() : Join(list[0], kept);
}

std::string SUB::TrimEmptyFields(const std::string& list, bool trailing, bool leading) {
  std::string r = list;
  if (trailing) {
    while (Count(r) > 0 && r.size() >= 2 && r[r.size() - 2] == r[0]) r.pop_back();
  }
  if (leading) {
    while (Count(r) > 0 && r.size() >= 2 && r[1] == r[0]) r.erase(0, 1);
  }
  return r.size() == 1 ? std::string() : r;
}

std::string SUB::PickDelimiter(const std::string& list) {
  std::string s = list;
  if (!s.empty() && s.find('\0') == std::string::npos) s = ChangeDelimiter(s, '\0');
  for (const char* c = kCandidates; *c; ++c) {
    if (s.find(*c) == std::string::npos) {
      s = ReplaceChar(s, '\0', *c);
      break;
    }
  }
  return s.size() == 1 ? std::string() : s;
}

std::string SUB::ChangeDelimiter(const std::string& list, char delimiter) {
  if (list.empty()) return list;
  return ReplaceChar(list, list[0], delimiter);
}
