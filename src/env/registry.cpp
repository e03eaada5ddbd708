#include "env/registry.h"

#include <cstring>

#include "env/text.h"

namespace {

struct RootName {
  const char* longName;
  const char* shortName;
  RegRoot root;
};

const RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", kRegClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", kRegCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kRegLocalMachine},
    {"HKEY_USERS", "HKU", kRegUsers},
    {"HKEY_CURRENT_CONFIG", "HKCC", kRegCurrentConfig},
    {"HKEY_DYN_DATA", "HKDD", kRegDynData},
};

constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

const char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

RegRoot RootKeyFromName(const std::string& name) {
  const std::string n = Trim(name);
  for (const RootName& r : kRootNames)
    if (SameText(n, r.longName) || SameText(n, r.shortName)) return r.root;
  return kRegCurrentUser;
}

void SplitRegPath(const std::string& path, RegRoot* root, std::string* subKey) {
  const std::string p = Trim(path);
  if (!StartsWithText("HK", p, true)) {
    *root = kRegCurrentUser;
    *subKey = p;
    return;
  }
  const size_t slash = p.find('\\');
  if (slash == std::string::npos) {
    *root = RootKeyFromName(p);
    subKey->clear();
    return;
  }
  *root = RootKeyFromName(p.substr(0, slash));
  *subKey = p.substr(slash + 1);
}

std::string RegValueText(uint32_t type, const char* data, size_t size) {
  if (data == nullptr) return std::string();
  if (type == kRegDword && size == 4) {
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    const uint32_t v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                       uint32_t(b[3]) << 24;
    return std::to_string(v);
  }
  if (type == kRegMultiSz && size > 2) {
    size_t end = size;
    while (end > 0 && data[end - 1] == '\0') --end;
    std::string out;
    for (size_t i = 0; i < end; ++i) {
      if (data[i] == '\0')
        out += "<0>";
      else
        out += data[i];
    }
    return out;
  }
  const void* zero = std::memchr(data, 0, size);
  return std::string(data, zero ? static_cast<const char*>(zero) - data : size);
}

int64_t HexToInt64(const std::string& text, int64_t def) {
  std::string t = StartsWithText("0x", text, true) ? text.substr(2) : text;
  t = Trim(t);
  if (t.empty()) return 0;
  uint64_t value = 0;
  int significant = 0;
  for (char c : t) {
    const int d = HexDigit(c);
    if (d < 0) return def;
    if (significant > 0 || d > 0) ++significant;
    // Beyond 16 digits the number no longer fits: that is not a value.
    if (significant > 16) return def;
    value = value << 4 | uint64_t(d);
  }
  return int64_t(value);
}

std::string BytesToHex(const std::string& bytes, bool spaced, bool prefix) {
  std::string out;
  out.reserve(bytes.size() * (spaced ? 6 : 4));
  size_t n = 0;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (prefix) out += "0x";
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
    ++n;
    if (spaced) {
      out += ' ';
      if (n % 8 == 0) out += ' ';
    }
  }
  return out;
}

std::string HexToBytes(const std::string& text) {
  if (text.size() == 1) return std::string(1, char(HexToInt64(text, -1) & 0xFF));
  std::string out;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    out += char(HexToInt64(text.substr(i, 2), -1) & 0xFF);
  return out;
}

std::string ScrambleTextWithKey(const std::string& text, bool scramble, bool hex, uint8_t key) {
  if (text.empty()) return text;
  const std::string input = !scramble && hex ? HexToBytes(text) : text;
  const size_t markerSize = sizeof kScrambledMarker - 1;
  const bool marked = input.compare(0, markerSize, kScrambledMarker) == 0;
  if (scramble == marked) return text;

  int k = key;
  std::string body = input;
  if (!scramble) {
    // A marker without a key byte holds no text.
    if (input.size() <= markerSize) return std::string();
    k = static_cast<unsigned char>(input[markerSize]);
    body = input.substr(markerSize + 1);
  }
  const int key0 = k;
  for (size_t i = 0; i < body.size(); ++i) {
    // Positions count from 1; only the low 8 bits of position + key matter,
    // so the position is reduced first to stay clear of overflow.
    const int pos = int((i + 1) & 0xFF);
    body[i] = char(((pos + k) & 0xFF) ^ static_cast<unsigned char>(body[i]));
    k = -k;
  }
  if (!scramble) return body;
  std::string out = kScrambledMarker;
  out += char(key0);
  out += body;
  return hex ? BytesToHex(out, false, false) : out;
}

std::string ScrambleText(const std::string& text, bool scramble, bool hex) {
  const uint8_t key = uint8_t(TextToInt64(RandomText(33, 122), 33));
  return ScrambleTextWithKey(text, scramble, hex, key);
}
