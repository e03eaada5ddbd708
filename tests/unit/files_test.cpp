#include "env/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Shift-JIS lead bytes: the second byte of such a character may be 0x5C "\".
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool NoLead(unsigned char) { return false; }

TEST(Files, TrailingBackslash) {
  const struct {
    std::string path;
    bool add;
    std::string want;
  } cases[] = {
      {"C:\\Dir\\", false, "C:\\Dir"},
      {"C:\\Dir", false, "C:\\Dir"},
      {"C:\\", false, "C:"},
      {"C:\\", true, "C:\\"},
      {"C:", true, "C:\\"},
      {"", true, "\\"},
      {"", false, ""},
      {"\\\\", false, "\\\\"},          // under 3 bytes: unchanged
      {"C:\\Dir\\", true, "C:\\Dir\\"},
      {"C:\\\x95\\", false, "C:\\\x95\\"},   // ends in a double-byte character
      {"C:\\\x95\\", true, "C:\\\x95\\\\"},
      // The byte before the "\" is a lead-byte value, but it is the second
      // byte of the character before: this "\" is a real one.
      {"C:\\\x81\x81\\", false, "C:\\\x81\x81"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SetTrailingBackslash(c.path, c.add, ShiftJisLead), c.want) << c.path;
  }
  EXPECT_EQ(SetTrailingBackslash("C:\\\x95\\", false, NoLead), "C:\\\x95");

  const struct {
    std::string path, want;
  } remove[] = {
      {"\\", ""}, {"C:\\", "C:"}, {"C:\\Dir\\", "C:\\Dir"}, {"\\\\", "\\"},
      {"a", "a"}, {"", ""},       {"C:\\\x95\\", "C:\\\x95\\"},
  };
  for (const auto& c : remove) {
    EXPECT_EQ(RemoveTrailingBackslash(c.path, ShiftJisLead), c.want) << c.path;
  }
}

TEST(Files, NamesAndFolders) {
  const struct {
    std::string path;
    bool all;
    std::string want;
  } cases[] = {
      {"C:\\x\\archive.tar.gz", false, "archive.tar"},
      {"C:\\x\\archive.tar.gz", true, "archive"},
      {"C:\\x.d\\setup", false, "setup"},         // a dot in the folder does not count
      {"setup.exe", false, "setup"},
      {"C:/x/setup.exe", false, "setup"},
      {"C:\\x\\", false, ""},
      {"C:\\\x95\\name.txt", false, "\x95\\name"},  // 0x95 0x5C is one character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileBaseName(c.path, c.all, ShiftJisLead), c.want) << c.path;
  }
  EXPECT_EQ(FolderOfFile("C:\\Temp\\SETUP_1\\x.exe", NoLead), "C:\\Temp\\SETUP_1");
  EXPECT_EQ(FolderOfFile("C:\\x.exe", NoLead), "C:");
  EXPECT_EQ(FolderOfFile("x.exe", NoLead), "");
}

TEST(Files, WriteChunkSize) {
  const struct {
    size_t length, want;
  } cases[] = {
      {0, 0},           {500, 500},          {1024, 1024},       {5000, 1024},
      {10240, 1024},    {10250, 1025},       {1048576, 104857},  {10485760, 1048576},
      {20971520, 1048576},
  };
  for (const auto& c : cases) EXPECT_EQ(WriteChunkSize(c.length), c.want) << c.length;
}

struct Recorder {
  std::vector<size_t> writes;
  size_t failAt = SIZE_MAX;   // the write with this number returns 0
  size_t shortBy = 0;         // every write reports this many bytes fewer
  std::string out;
  std::vector<int64_t> progress;
  size_t cancelAfter = SIZE_MAX;  // progress call number that sets cancel
};

size_t RecordWrite(void* context, const char* data, size_t size) {
  auto* r = static_cast<Recorder*>(context);
  if (r->writes.size() == r->failAt) return 0;
  r->writes.push_back(size);
  const size_t n = size > r->shortBy ? size - r->shortBy : size;
  r->out.append(data, n);
  return n;
}

void RecordProgress(void* context, int64_t total, int64_t written, bool* cancel) {
  auto* r = static_cast<Recorder*>(context);
  EXPECT_LE(written, total);
  r->progress.push_back(written);
  if (r->progress.size() == r->cancelAfter) *cancel = true;
}

TEST(Files, WriteChunkedWithoutCallback) {
  Recorder r;
  const std::string big(20 << 20, 'x');
  EXPECT_TRUE(WriteChunked(big, RecordWrite, &r, nullptr));
  EXPECT_EQ(r.writes, std::vector<size_t>(20, 1 << 20));
  EXPECT_EQ(r.out.size(), big.size());

  Recorder one;  // up to 1 MiB: one write
  EXPECT_TRUE(WriteChunked(std::string(1 << 20, 'y'), RecordWrite, &one, nullptr));
  EXPECT_EQ(one.writes, std::vector<size_t>{1 << 20});

  Recorder none;  // empty: nothing to write, and that is success
  EXPECT_TRUE(WriteChunked("", RecordWrite, &none, nullptr));
  EXPECT_TRUE(none.writes.empty());

  Recorder failing;
  failing.failAt = 0;
  EXPECT_FALSE(WriteChunked("abc", RecordWrite, &failing, nullptr));
}

TEST(Files, WriteChunkedWithCallback) {
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
  Recorder r;
  WriteProgress progress{RecordProgress, &r};
  EXPECT_TRUE(WriteChunked(data, RecordWrite, &r, &progress));
  EXPECT_EQ(r.writes, (std::vector<size_t>{1024, 1024, 1024, 1024, 904}));
  EXPECT_EQ(r.progress, (std::vector<int64_t>{0, 1024, 2048, 3072, 4096, 5000}));
  EXPECT_EQ(r.out, data);

  Recorder empty;  // with a callback even an empty text reports its start
  WriteProgress p0{RecordProgress, &empty};
  EXPECT_TRUE(WriteChunked("", RecordWrite, &empty, &p0));
  EXPECT_TRUE(empty.writes.empty());
  EXPECT_EQ(empty.progress, std::vector<int64_t>{0});
}

TEST(Files, WriteChunkedStops) {
  const std::string data(5000, 'z');
  {
    Recorder r;  // cancelled before the first chunk
    r.cancelAfter = 1;
    WriteProgress p{RecordProgress, &r};
    EXPECT_FALSE(WriteChunked(data, RecordWrite, &r, &p));
    EXPECT_TRUE(r.writes.empty());
  }
  {
    Recorder r;  // cancelled after the second chunk
    r.cancelAfter = 3;
    WriteProgress p{RecordProgress, &r};
    EXPECT_FALSE(WriteChunked(data, RecordWrite, &r, &p));
    EXPECT_EQ(r.writes.size(), 2u);
  }
  {
    Recorder r;  // the third write fails
    r.failAt = 2;
    WriteProgress p{RecordProgress, &r};
    EXPECT_FALSE(WriteChunked(data, RecordWrite, &r, &p));
    EXPECT_EQ(r.progress, (std::vector<int64_t>{0, 1024, 2048}));
  }
  {
    Recorder r;  // short writes: the rest is written by the next ones
    r.shortBy = 24;
    WriteProgress p{RecordProgress, &r};
    EXPECT_TRUE(WriteChunked(data, RecordWrite, &r, &p));
    EXPECT_EQ(r.out, data);
  }
}

TEST(Files, DiskFreeRoot) {
  const struct {
    std::string path;
    bool haveEx;
    std::string want;
  } cases[] = {
      {"C:\\Data\\Sub", true, "C:\\Data"},
      {"C:\\Data", true, "C:\\Data"},
      {"C:\\", true, "C:\\"},
      {"C:/Data/Sub", true, "C:\\Data"},
      {"c:", true, "C:\\"},                      // under 3 bytes: the drive form
      {"d:\\Data\\Sub", false, "D:\\"},          // without the Ex call: the drive form
      {"\\\\server\\share\\dir\\x", true, "\\\\server\\share\\"},
      {"\\\\server\\share", true, "\\\\server\\share\\"},
      {"//server/share/dir", true, "\\\\server\\share\\"},
      {"", true, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DiskFreeRoot(c.path, c.haveEx), c.want) << c.path;
  EXPECT_EQ(DriveRoot("e:\\x"), "E:\\");
}

TEST(Files, SelfDeleteBatch) {
  const std::string text = SelfDeleteBatchText("C:\\Temp\\SETUP_1\\x.exe", "C:\\Temp\\SETUP_1",
                                               "C:\\Temp\\_DEL_ME_.BAT", true);
  EXPECT_EQ(text,
            ":START\r\n"
            "DEL /F \"C:\\Temp\\SETUP_1\\x.exe\"\r\n"
            "IF exist \"C:\\Temp\\SETUP_1\\x.exe\" GOTO START\r\n"
            "RD \"C:\\Temp\\SETUP_1\"\r\n"
            "DEL \"C:\\Temp\\_DEL_ME_.BAT\"\r\n");
  EXPECT_EQ(SelfDeleteBatchText("C:\\A\\x.exe", "C:\\A", "C:\\T\\b.bat", false),
            ":START\r\n"
            "DEL /F \"C:\\A\\x.exe\"\r\n"
            "IF exist \"C:\\A\\x.exe\" GOTO START\r\n"
            "DEL \"C:\\T\\b.bat\"\r\n");
  // "%" would start a variable inside the batch.
  EXPECT_EQ(SelfDeleteBatchText("C:\\100%\\x.exe", "C:\\100%", "C:\\T\\b.bat", true),
            ":START\r\n"
            "DEL /F \"C:\\100%%\\x.exe\"\r\n"
            "IF exist \"C:\\100%%\\x.exe\" GOTO START\r\n"
            "RD \"C:\\100%%\"\r\n"
            "DEL \"C:\\T\\b.bat\"\r\n");
}

}  // namespace
