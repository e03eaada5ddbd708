#include "package/byte_source.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ByteSource, ReadsNeverPastTheEnd) {
  std::string bytes = "abcdef";
  MemorySource src(bytes);
  char buf[8] = {};
  EXPECT_EQ(src.ReadAt(4, buf, 8), 2u);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(src.ReadAt(6, buf, 1), 0u);
  EXPECT_EQ(src.ReadAt(-1, buf, 1), 0u);
  std::string out;
  EXPECT_TRUE(ReadExactly(src, 1, 3, &out));
  EXPECT_EQ(out, "bcd");
  EXPECT_FALSE(ReadExactly(src, 4, 3, &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ReadExactly(src, -2, 1, &out));
  EXPECT_FALSE(ReadExactly(src, 0, SIZE_MAX, &out));
}
