#include "package/token.h"

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A small deterministic generator, so that a seed always gives the same text.
uint32_t NextRandom(uint32_t* state) {
  *state = *state * 1103515245u + 12345u;
  return *state >> 8;
}

}  // namespace

bool TryDescrambleToken(const std::string& scrambled, std::string* out) {
  // b[1..n] in the comments are bytes[0..n-1] here.
  std::vector<uint8_t> b;
  b.reserve(scrambled.size() / 2);
  for (size_t i = 0; i + 1 < scrambled.size(); i += 2) {  // a lone last character is ignored
    int hi = HexValue(uint8_t(scrambled[i] - 50));
    int lo = HexValue(uint8_t(scrambled[i + 1] - 50));
    b.push_back(hi < 0 || lo < 0 ? 0xFF : uint8_t(hi << 4 | lo));
  }
  const int64_t n = int64_t(b.size());
  if (n <= 4) return false;
  uint8_t sum = 0;
  for (int64_t i = 0; i < n; ++i)
    if (i != n - 2) sum = uint8_t(sum + b[i]);
  if (sum != b[n - 2]) return false;
  const uint8_t k = b[0] ^ b[n - 1];
  for (int64_t i = 1; i <= n - 2; ++i) b[i] ^= k;
  const int64_t a = b[1], c = b[2];
  const int64_t count = n - a - c - 4;
  if (count < 0) return false;
  const int64_t first = a + 3;  // b[a+4]
  out->assign(reinterpret_cast<const char*>(b.data()) + first, size_t(count));
  return true;
}

std::string DescrambleToken(const std::string& scrambled) {
  std::string result;
  if (TryDescrambleToken(scrambled, &result)) return result;
  static bool seeded = false;
  if (!seeded) {
    std::srand(unsigned(std::time(nullptr)));
    seeded = true;
  }
  return std::to_string(std::rand() % 99999);
}

std::string ScrambleToken(const std::string& plain, uint32_t seed) {
  uint32_t state = seed ^ 0x5A17C3E1u;
  const uint8_t a = uint8_t(NextRandom(&state) % 6);
  const uint8_t c = uint8_t(1 + NextRandom(&state) % 5);  // c >= 1: padding then check byte
  const size_t n = plain.size() + a + c + 4;
  std::vector<uint8_t> d(n);
  for (auto& x : d) x = uint8_t(NextRandom(&state));
  d[1] = a;
  d[2] = c;
  for (size_t i = 0; i < plain.size(); ++i) d[3 + a + i] = uint8_t(plain[i]);
  const uint8_t k = d[0] ^ d[n - 1];
  for (size_t i = 1; i <= n - 2; ++i) d[i] ^= k;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = uint8_t(sum + d[i]);
  d[n - 2] = sum;
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * n);
  for (uint8_t x : d) {
    text += char(kHex[x >> 4] + 50);
    text += char(kHex[x & 15] + 50);
  }
  return text;
}
