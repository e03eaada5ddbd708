#include "env/registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += char(v);
  return s;
}

TEST(RegistryPath, RootNames) {
  struct Case {
    const char* name;
    RegRoot root;
  } cases[] = {
      {"HKEY_CLASSES_ROOT", kRegClassesRoot},   {"HKCR", kRegClassesRoot},
      {"HKEY_CURRENT_USER", kRegCurrentUser},   {"HKCU", kRegCurrentUser},
      {"HKEY_LOCAL_MACHINE", kRegLocalMachine}, {"hklm", kRegLocalMachine},
      {"hkey_local_machine", kRegLocalMachine}, {"HKEY_USERS", kRegUsers},
      {"HKU", kRegUsers},                       {"HKEY_CURRENT_CONFIG", kRegCurrentConfig},
      {"HKCC", kRegCurrentConfig},              {"HKEY_DYN_DATA", kRegDynData},
      {"HKDD", kRegDynData},                    {"HKEY_PERFORMANCE_DATA", kRegCurrentUser},
      {"HKLMX", kRegCurrentUser},               {"", kRegCurrentUser},
  };
  for (const auto& c : cases) EXPECT_EQ(RootKeyFromName(c.name), c.root) << c.name;
}

TEST(RegistryPath, Split) {
  struct Case {
    const char* path;
    RegRoot root;
    const char* subKey;
  } cases[] = {
      {"HKLM\\SOFTWARE\\X", kRegLocalMachine, "SOFTWARE\\X"},
      {"hkey_local_machine\\SOFTWARE\\X", kRegLocalMachine, "SOFTWARE\\X"},
      {"Software\\X", kRegCurrentUser, "Software\\X"},  // no root: the current user's
      {"HKLM", kRegLocalMachine, ""},                   // the root itself
      {"HKLM\\", kRegLocalMachine, ""},
      {"  HKU\\.DEFAULT\\Control Panel \r\n", kRegUsers, ".DEFAULT\\Control Panel"},
      {"HKXX\\Software\\X", kRegCurrentUser, "Software\\X"},  // unknown root name
      {"hkcc\\A\\B\\C", kRegCurrentConfig, "A\\B\\C"},
      {"", kRegCurrentUser, ""},
  };
  for (const auto& c : cases) {
    RegRoot root = kRegClassesRoot;
    std::string subKey = "unchanged";
    SplitRegPath(c.path, &root, &subKey);
    EXPECT_EQ(root, c.root) << c.path;
    EXPECT_EQ(subKey, c.subKey) << c.path;
  }
}

TEST(RegistryValue, TextOfEachType) {
  const uint32_t kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7;
  struct Case {
    uint32_t type;
    std::string data;
    const char* want;
  } cases[] = {
      {kDword, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), "4294967295"},  // unsigned, not -1
      {kDword, Bytes({0x2A, 0, 0, 0}), "42"},
      {kDword, Bytes({0x01, 0x02, 0x03, 0x04}), "67305985"},  // little-endian
      {kDword, std::string("ab\0", 3), "ab"},                 // not 4 bytes: text
      {kMultiSz, std::string("a\0b\0\0", 5), "a<0>b"},
      {kMultiSz, std::string("one\0\0two\0\0", 10), "one<0><0>two"},
      {kMultiSz, std::string("a\0", 2), "a"},  // 2 bytes: read as text
      {kSz, std::string("abc\0junk", 8), "abc"},
      {kSz, "no zero byte", "no zero byte"},
      {kExpandSz, std::string("%TEMP%\\x\0", 9), "%TEMP%\\x"},  // not expanded
      {kBinary, std::string("\0\1", 2), ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RegValueText(c.type, c.data.data(), c.data.size()), c.want) << c.type << " " << c.want;
  EXPECT_EQ(RegValueText(kSz, nullptr, 10), "");
}

TEST(Hex, HexToInt64) {
  struct Case {
    const char* text;
    int64_t want;
  } cases[] = {
      {"0x1F", 31},
      {"1f", 31},
      {"0X1f", 31},
      {"1G", -7},  // not a digit: the default
      {"", 0},
      {"0x", 0},
      {"  ff  ", 255},
      {"-1", -7},
      {"0x0x1", -7},
      {"7FFFFFFFFFFFFFFF", INT64_MAX},
      {"FFFFFFFFFFFFFFFF", -1},
      {"00000000000000000000001", 1},     // leading zeros are not significant
      {"10000000000000000", -7},          // 17 digits do not fit
  };
  for (const auto& c : cases) EXPECT_EQ(HexToInt64(c.text, -7), c.want) << c.text;
}

TEST(Hex, BytesToHex) {
  const std::string ten = Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(BytesToHex(ten, true, true),
            "0x00 0x01 0x02 0x03 0x04 0x05 0x06 0x07  0x08 0x09 ");
  EXPECT_EQ(BytesToHex(ten, false, false), "00010203040506070809");
  EXPECT_EQ(BytesToHex(Bytes({0xAB, 0xFF}), false, true), "0xAB0xFF");
  EXPECT_EQ(BytesToHex(std::string(16, '\x5a'), true, false),
            "5A 5A 5A 5A 5A 5A 5A 5A  5A 5A 5A 5A 5A 5A 5A 5A  ");
  EXPECT_EQ(BytesToHex("", true, true), "");
}

TEST(Hex, HexToBytes) {
  struct Case {
    const char* text;
    std::string want;
  } cases[] = {
      {"0A1b", Bytes({0x0A, 0x1B})},
      {"ABC", Bytes({0xAB})},  // a trailing single character is ignored
      {"A", Bytes({0x0A})},    // ... unless it is the whole text
      {"ZZ01", Bytes({0xFF, 0x01})},
      {"G", Bytes({0xFF})},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HexToBytes(c.text), c.want) << c.text;
  const std::string all = [] {
    std::string s;
    for (int i = 0; i < 256; ++i) s += char(i);
    return s;
  }();
  EXPECT_EQ(HexToBytes(BytesToHex(all, false, false)), all);
}

// The scrambled form spelled out byte by byte, so that a fault in the key
// stream cannot hide behind a round trip.
TEST(Scramble, KnownForm) {
  // Key 33: byte 1 ^ (1 + 33), byte 2 ^ ((2 - 33) & 0xFF), byte 3 ^ (3 + 33).
  const std::string want = std::string("Scrambled=01!") + char(34 ^ 'A') + char(225 ^ 'B') +
                           char(36 ^ 'C');
  EXPECT_EQ(ScrambleTextWithKey("ABC", true, false, 33), want);
  EXPECT_EQ(ScrambleTextWithKey("ABC", true, true, 33), BytesToHex(want, false, false));
  EXPECT_EQ(ScrambleTextWithKey(want, false, false, 99), "ABC");  // the key comes from the text
}

TEST(Scramble, RoundTrips) {
  std::string binary;
  for (int i = 0; i < 700; ++i) binary += char(i * 7);  // past 256 positions, every byte value
  const std::string texts[] = {"x", "Hello, world", std::string("\0a\0", 3), binary,
                               "Scrambled=0", "scrambled=01 lower case is not the marker"};
  for (const std::string& text : texts) {
    for (bool hex : {false, true}) {
      const std::string s = ScrambleText(text, true, hex);
      EXPECT_NE(s, text);
      if (!hex) {
        EXPECT_EQ(s.compare(0, 12, kScrambledMarker), 0);
        EXPECT_EQ(s.size(), text.size() + 13);
      } else {
        EXPECT_EQ(s.size(), 2 * (text.size() + 13));
      }
      EXPECT_EQ(ScrambleText(s, false, hex), text) << text.size() << " hex=" << hex;
    }
  }
}

TEST(Scramble, RandomKeyStaysPrintable) {
  for (int i = 0; i < 200; ++i) {
    const unsigned char key = static_cast<unsigned char>(ScrambleText("k", true, false)[12]);
    ASSERT_GE(key, 33);
    ASSERT_LE(key, 122);
  }
}

TEST(Scramble, InputLeftAlone) {
  const std::string marked = std::string(kScrambledMarker) + "!abc";
  EXPECT_EQ(ScrambleText(marked, true, false), marked);  // already scrambled
  EXPECT_EQ(ScrambleText(marked, true, true), marked);
  EXPECT_EQ(ScrambleText("plain text", false, false), "plain text");  // not scrambled
  EXPECT_EQ(ScrambleText("00FF00", false, true), "00FF00");
  EXPECT_EQ(ScrambleText("", true, true), "");
  EXPECT_EQ(ScrambleText("", false, false), "");
  // A marker without its key byte holds nothing.
  EXPECT_EQ(ScrambleText(kScrambledMarker, false, false), "");
  EXPECT_EQ(ScrambleText(std::string(kScrambledMarker) + "!", false, false), "");
}

}  // namespace
