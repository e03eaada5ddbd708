// Registry and INI access, hexadecimal text helpers, the "Scrambled=01" text
// form and the developer-mode switch.
//
// Readers never fail: anything missing or unreadable gives the caller's
// default. Registry key paths are one text, a root name in long or short form
// ("HKEY_LOCAL_MACHINE\SOFTWARE\X" or "HKLM\SOFTWARE\X") and the sub-key.
//
// The path, value and text rules are portable; the registry, INI and
// environment calls are Win32 (registry_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ---- Registry paths and values (portable rules) ----

// The predefined root keys by their handle values.
enum RegRoot : uint32_t {
  kRegClassesRoot = 0x80000000u,
  kRegCurrentUser = 0x80000001u,
  kRegLocalMachine = 0x80000002u,
  kRegUsers = 0x80000003u,
  kRegCurrentConfig = 0x80000005u,
  kRegDynData = 0x80000006u,
};

// The root for "HKEY_LOCAL_MACHINE" or "HKLM" and so on (ASCII letter case
// ignored, blanks around the name ignored); any other name gives
// HKEY_CURRENT_USER.
RegRoot RootKeyFromName(const std::string& name);

// Splits a trimmed key path. A path that does not begin with "HK" (any case)
// is a sub-key of HKEY_CURRENT_USER as a whole; otherwise the text before the
// first "\" names the root (the whole path when it holds none, giving an
// empty sub-key) and the text after it is the sub-key.
void SplitRegPath(const std::string& path, RegRoot* root, std::string* subKey);

// The text form of a value as RegQueryValueExA returned it (`size` bytes of
// type `type`): a REG_DWORD of exactly 4 bytes is its unsigned decimal; a
// REG_MULTI_SZ of more than 2 bytes loses its trailing zero bytes and shows
// every other zero byte as "<0>" ("a", "b" gives "a<0>b"); anything else is
// the text up to the first zero byte. Never reads beyond `size`.
std::string RegValueText(uint32_t type, const char* data, size_t size);

// ---- Registry and INI files (Windows builds) ----

// The value `valueName` of the key `path` as text (RegValueText), or `def`
// when the key cannot be opened, the value is missing or larger than 10240
// bytes. `view64` opens the key in the 64-bit registry view (KEY_WOW64_64KEY);
// otherwise the process's default view is used.
std::string ReadRegString(const std::string& path, const std::string& valueName,
                          const std::string& def, bool view64);

// GetPrivateProfileStringA of `key` in `section` of `file`: `def` when the
// file, section or key is empty, and when the value is missing or empty (so
// an empty value reads as the default). Values are cut at 102400 bytes. Texts
// the profile calls cannot take (any argument above 32766 bytes) give `def`.
std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def);
// ReadIniString read as a signed 64-bit number (TextToInt64); `def` when the
// value is not a whole number ("12abc").
int64_t ReadIniInt(const std::string& file, const std::string& section, const std::string& key,
                   int64_t def);
// WritePrivateProfileStringA; false when the file, section or key is empty,
// any text is above 32766 bytes, or the write fails.
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
bool WriteIniInt(const std::string& file, const std::string& section, const std::string& key,
                 int64_t value);

// Whether the environment variable "DVX" held exactly "619" when first asked;
// the answer is kept for the life of the process. (Native builds: getenv.)
bool IsDeveloperMode();

// ---- Hexadecimal text ----

// Hexadecimal digits without prefix or sign: an optional leading "0x" (any
// case) is removed, then the rest is trimmed; empty text gives 0; a byte that
// is not a hexadecimal digit, or more than 16 significant digits, gives `def`.
// Sixteen digits fill all 64 bits ("FFFFFFFFFFFFFFFF" is -1).
int64_t HexToInt64(const std::string& text, int64_t def);
// Two upper-case digits per byte, each preceded by "0x" when `prefix`. When
// `spaced`, a blank follows every byte and a second blank every eighth byte.
std::string BytesToHex(const std::string& bytes, bool spaced, bool prefix);
// Reads the text two characters at a time from the start; each pair becomes
// one byte (255 for a pair that is not hexadecimal). A trailing single
// character is ignored, except that a text of one character gives one byte.
std::string HexToBytes(const std::string& text);

// ---- The "Scrambled=01" form ----
//
// "Scrambled=01", one key byte (33..122), then one scrambled byte per plain
// byte: byte i (from 1) is XORed with the low 8 bits of i + k, where k is the
// key for odd i and minus the key for even i. Optionally all of this is
// written as hexadecimal text (BytesToHex, unspaced, no prefix).

inline constexpr char kScrambledMarker[] = "Scrambled=01";

// Scrambles (`scramble` true) or restores a text. Restoring with `hex` first
// reads the text as hexadecimal. Scrambling a text that is already in the
// scrambled form, restoring one that is not, and an empty text give the input
// unchanged. Scrambling picks a random key.
std::string ScrambleText(const std::string& text, bool scramble, bool hex);
// The same with a chosen key (33..122 gives a text ScrambleText restores; the
// key is ignored when restoring).
std::string ScrambleTextWithKey(const std::string& text, bool scramble, bool hex, uint8_t key);
