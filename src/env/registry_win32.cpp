#include <windows.h>

#include <vector>

#include "env/registry.h"
#include "env/text.h"

#ifndef KEY_WOW64_64KEY
#define KEY_WOW64_64KEY 0x0100
#endif

namespace {

// One byte more than the largest value read, so that a value of the full
// size still ends in a zero byte.
constexpr DWORD kRegBufferSize = 10241;
constexpr DWORD kIniBufferSize = 102401;
// The profile calls convert their texts to counted UTF-16 strings, which hold
// at most 32767 characters. A longer text makes them fail, and makes Wine's
// WritePrivateProfileStringA read through a wild pointer: it is refused here.
constexpr size_t kMaxProfileText = 32766;

bool FitsProfileCall(const std::string& a, const std::string& b, const std::string& c,
                     const std::string& d) {
  return a.size() <= kMaxProfileText && b.size() <= kMaxProfileText &&
         c.size() <= kMaxProfileText && d.size() <= kMaxProfileText;
}

// Closes the key on every path out.
class RegKey {
 public:
  RegKey(HKEY root, const std::string& subKey, REGSAM access) {
    if (RegOpenKeyExA(root, subKey.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::string ReadRegString(const std::string& path, const std::string& valueName,
                          const std::string& def, bool view64) {
  RegRoot root;
  std::string subKey;
  SplitRegPath(path, &root, &subKey);
  // The root handles are the sign-extended 32-bit values on 64-bit Windows.
  const HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
  // KEY_WOW64_64KEY is only asked for when the caller knows the system is
  // 64-bit: Windows 2000 rejects the flag.
  RegKey key(rootKey, subKey, view64 ? (KEY_READ | KEY_WOW64_64KEY) : KEY_READ);
  if (!key.get()) return def;
  std::vector<char> buffer(kRegBufferSize, '\0');
  DWORD type = 0;
  DWORD size = kRegBufferSize - 1;
  if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return def;
  if (size > kRegBufferSize - 1) size = kRegBufferSize - 1;
  return RegValueText(type, buffer.data(), size);
}

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def) {
  // An empty file name would make the system read win.ini in the Windows
  // folder.
  if (file.empty() || section.empty() || key.empty()) return def;
  if (!FitsProfileCall(file, section, key, def)) return def;
  std::string buffer(kIniBufferSize, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), &buffer[0],
                                           kIniBufferSize, file.c_str());
  if (n == 0 || n >= kIniBufferSize) return def;
  buffer.resize(n);
  return buffer;
}

int64_t ReadIniInt(const std::string& file, const std::string& section, const std::string& key,
                   int64_t def) {
  return TextToInt64(ReadIniString(file, section, key, IntToText(def)), def);
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  if (file.empty() || section.empty() || key.empty()) return false;
  if (!FitsProfileCall(file, section, key, value)) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

bool WriteIniInt(const std::string& file, const std::string& section, const std::string& key,
                 int64_t value) {
  return WriteIniString(file, section, key, IntToText(value));
}

bool IsDeveloperMode() {
  static const bool on = [] {
    char value[8] = {};
    const DWORD n = GetEnvironmentVariableA("DVX", value, sizeof value);
    return n == 3 && std::string(value, 3) == "619";
  }();
  return on;
}
