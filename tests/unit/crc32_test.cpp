#include "support/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

TEST(Crc32, AgreesWithZlib) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += char(i * 37 + (i >> 3));
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t size : {size_t(0), size_t(1), size_t(9), size_t(1000)})
    EXPECT_EQ(Crc32(0, p, size), uint32_t(crc32(0, p, uInt(size)))) << size;
  // Continued over two pieces as over one.
  EXPECT_EQ(Crc32(Crc32(0, p, 300), p + 300, 700), Crc32(0, p, 1000));
  EXPECT_EQ(Crc32(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
  EXPECT_EQ(Crc32(5, nullptr, 3), 0u);
}

}  // namespace
