// FileSource over a real file, in any order of reads (natively the POSIX
// backend; in win_tests.exe the Win32 one, which keeps its file pointer).
#include "env/file_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(FileSource, ReadsAtAnyOffsetInAnyOrder) {
  const std::string path = "file_source_test.bin";
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + (i >> 9));
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
  }
  {
    FileSource src(path);
    ASSERT_TRUE(src.is_open());
    EXPECT_EQ(src.Size(), int64_t(bytes.size()));
    const struct {
      int64_t offset;
      size_t n, want;
    } reads[] = {
        {0, 65536, 65536},          // one after the other
        {65536, 65536, 65536},
        {131072, 65536, 65536},
        {1000, 10, 10},             // back
        {199990, 100, 10},          // across the end: what is there
        {200000, 5, 0},             // at the end
        {500000, 5, 0},             // beyond
        {-1, 5, 0},                 // before the start
        {1010, 20, 20},             // after a failed read
        {150000, 1, 1},
        {150001, 1, 1},
    };
    for (const auto& r : reads) {
      std::string got(r.n, '\x55');
      EXPECT_EQ(src.ReadAt(r.offset, &got[0], r.n), r.want) << r.offset;
      got.resize(r.want);
      if (r.want) EXPECT_EQ(got, bytes.substr(size_t(r.offset), r.want)) << r.offset;
    }
  }
  std::remove(path.c_str());
}

TEST(FileSource, MissingFileReadsNothing) {
  FileSource src("no_such_file_source_test.bin");
  EXPECT_FALSE(src.is_open());
  EXPECT_EQ(src.Size(), -1);
  char c;
  EXPECT_EQ(src.ReadAt(0, &c, 1), 0u);
}

}  // namespace
