#include "package/token.h"

#include <gtest/gtest.h>

namespace {

// Builds a scrambled text from decoded bytes b[1..n] the way a builder does:
// XOR b[2..n-1] with b[1]^b[n], set the check byte b[n-1], hex, +50.
std::string Encode(std::vector<uint8_t> d, bool lowerHex = false) {
  size_t n = d.size();
  uint8_t k = d[0] ^ d[n - 1];
  for (size_t i = 1; i + 1 < n; ++i) d[i] ^= k;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = uint8_t(sum + d[i]);
  d[n - 2] = sum;
  const char* hex = lowerHex ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string s;
  for (uint8_t x : d) {
    s += char(hex[x >> 4] + 50);
    s += char(hex[x & 15] + 50);
  }
  return s;
}

TEST(Token, DecodesResultBetweenPaddings) {
  // b1=key, a=2, c=3, 2 bytes padding, "AB", 2 bytes padding, check, last.
  std::vector<uint8_t> d = {0x5C, 2, 3, 0xEE, 0xEE, 'A', 'B', 0x11, 0x22, 0, 0x77};
  std::string out;
  ASSERT_TRUE(TryDescrambleToken(Encode(d), &out));
  EXPECT_EQ(out, "AB");
  ASSERT_TRUE(TryDescrambleToken(Encode(d, true), &out));  // hex of either case
  EXPECT_EQ(out, "AB");
  ASSERT_TRUE(TryDescrambleToken(Encode(d) + "Z", &out));  // a lone last character is ignored
  EXPECT_EQ(out, "AB");
}

TEST(Token, ScrambleRoundTrips) {
  for (const char* plain : {"", "P", "PROJ-TOKEN-42", "with blanks and |pipes|"}) {
    for (uint32_t seed : {0u, 1u, 77u, 0xFFFFFFFFu}) {
      std::string out;
      std::string scrambled = ScrambleToken(plain, seed);
      ASSERT_TRUE(TryDescrambleToken(scrambled, &out)) << plain << " " << seed;
      EXPECT_EQ(out, plain);
      if (*plain) EXPECT_EQ(scrambled.find(plain), std::string::npos);
      for (char ch : scrambled) EXPECT_TRUE(ch > 32 && ch < 127);
    }
  }
}

TEST(Token, MalformedTokensDoNotDecode) {
  std::vector<uint8_t> good = {0x5C, 2, 3, 0xEE, 0xEE, 'A', 'B', 0x11, 0x22, 0, 0x77};
  std::string valid = Encode(good);
  std::string flipped = valid;
  flipped[12] = flipped[12] == 'b' ? 'c' : 'b';
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"four bytes", Encode({1, 0, 1, 0})},
      {"check byte wrong", flipped},
      {"padding a runs past the end", Encode({9, 200, 1, 0, 0, 0, 0})},
      {"padding c runs past the end", Encode({9, 0, 250, 'x', 0, 0, 0})},
      {"not hexadecimal", "zzzzzzzzzzzzzz"},
  };
  for (const auto& c : cases) {
    std::string out = "untouched";
    EXPECT_FALSE(TryDescrambleToken(c.text, &out)) << c.what;
    EXPECT_EQ(out, "untouched") << c.what;
  }
  // The callers' form gives a number below 99999 instead.
  std::string r = DescrambleToken("zz");
  ASSERT_FALSE(r.empty());
  EXPECT_LT(std::stoi(r), 99999);
}

}  // namespace
