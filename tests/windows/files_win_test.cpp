// File and disk helpers against the real file system (under Wine in CI).
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/files.h"
#include "env/switches.h"
#include "env/text.h"

namespace {

std::string TempFolder() {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH, buf);
  return SetTrailingBackslash(std::string(buf, n), false);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh folder under the temporary folder, deleted with everything in it
// at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder() {
    path_ = TempFolder() + "\\files_test_" + IntToText(GetCurrentProcessId()) + "_" +
            IntToText(counter_++);
    DeleteTree(path_, true);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { DeleteTree(path_, true); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static int counter_;
  std::string path_;
};
int ScratchFolder::counter_ = 0;

void MakeFile(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  ASSERT_TRUE(WriteFileText(path, bytes, 0, false)) << path;
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

struct ProgressLog {
  std::vector<int64_t> written;
  int64_t total = -1;
};

void LogProgress(void* context, int64_t total, int64_t written, bool*) {
  auto* log = static_cast<ProgressLog*>(context);
  log->total = total;
  log->written.push_back(written);
}

TEST(FilesWin, WriteFileTextLargeAndWithCallback) {
  ScratchFolder dir;
  std::string big(20 << 20, '\0');
  for (size_t i = 0; i < big.size(); i += 4096) big[i] = char(i >> 12);
  ASSERT_TRUE(WriteFileText(dir / "big.bin", big, 0, false));
  EXPECT_EQ(FileSizeByName(dir / "big.bin"), int64_t(big.size()));
  EXPECT_TRUE(ReadFilePart(dir / "big.bin", 0, 0) == big);

  const std::string small(5000, 's');
  ProgressLog log;
  WriteProgress progress{LogProgress, &log};
  ASSERT_TRUE(WriteFileText(dir / "small.bin", small, 0, false, &progress));
  EXPECT_EQ(log.total, 5000);
  EXPECT_EQ(log.written, (std::vector<int64_t>{0, 1024, 2048, 3072, 4096, 5000}));
  EXPECT_EQ(ReadFilePart(dir / "small.bin", 0, 0), small);
}

TEST(FilesWin, WriteFileTextModes) {
  ScratchFolder dir;
  // An empty text without append still creates the (empty) file.
  EXPECT_TRUE(WriteFileText(dir / "empty.txt", "", 0, false));
  EXPECT_TRUE(Exists(dir / "empty.txt"));
  EXPECT_EQ(FileSizeByName(dir / "empty.txt"), 0);

  EXPECT_TRUE(WriteFileText(dir / "a.txt", "first", 0, false));
  EXPECT_TRUE(WriteFileText(dir / "a.txt", "+second", 0, true));
  EXPECT_EQ(ReadFilePart(dir / "a.txt", 0, 0), "first+second");
  EXPECT_TRUE(WriteFileText(dir / "a.txt", "new", 0, false));  // truncates
  EXPECT_EQ(ReadFilePart(dir / "a.txt", 0, 0), "new");

  EXPECT_TRUE(AppendText(dir / "log.txt", "one\r\n", 0));  // created when missing
  EXPECT_TRUE(AppendText(dir / "log.txt", "two\r\n", 0));
  EXPECT_EQ(ReadFilePart(dir / "log.txt", 0, 0), "one\r\ntwo\r\n");

  // A folder that does not exist: nothing is written anywhere.
  EXPECT_FALSE(WriteFileText(dir / "no\\such\\x.txt", "x", 0, false));
  EXPECT_FALSE(AppendText(dir / "no\\such\\x.txt", "x", 0));
}

TEST(FilesWin, DateStamp) {
  ScratchFolder dir;
  // 2021-06-15 10:20:30: date (41 << 9 | 6 << 5 | 15), time (10 << 11 | 20 << 5 | 15).
  const uint32_t stamp = (uint32_t((41 << 9) | (6 << 5) | 15) << 16) | ((10 << 11) | (20 << 5) | 15);
  for (bool append : {false, true}) {
    const std::string file = dir / (append ? "b.txt" : "a.txt");
    ASSERT_TRUE(append ? AppendText(file, "x", stamp) : WriteFileText(file, "x", stamp, false));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data));
    FILETIME local;
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ((uint32_t(date) << 16) | time, stamp) << file;
  }
}

TEST(FilesWin, ReadFilePart) {
  ScratchFolder dir;
  MakeFile(dir / "f.txt", "0123456789");
  const struct {
    int64_t limit, offset;
    std::string want;
  } cases[] = {
      {0, 0, "0123456789"}, {4, 0, "0123"},  {0, 6, "6789"}, {3, 6, "678"}, {100, 8, "89"},
      {0, 10, ""},          {0, 11, ""},     {0, -1, ""},    {-2, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadFilePart(dir / "f.txt", c.limit, c.offset), c.want)
        << c.limit << " @" << c.offset;
  }
  EXPECT_EQ(ReadFilePart(dir / "missing.txt", 0, 0), "");
  MakeFile(dir / "empty.txt", "");
  EXPECT_EQ(ReadFilePart(dir / "empty.txt", 0, 0), "");
}

TEST(FilesWin, SeekAndSizeBeyondFourGiB) {
  ScratchFolder dir;
  const std::string file = dir / "sparse.bin";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD unused = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
  const int64_t five = int64_t(5) << 30;
  EXPECT_EQ(Seek64(h, 0, five + 3), five + 3);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(FileSize64(h), five + 3);
  EXPECT_EQ(Seek64(h, 1, -3), five);
  EXPECT_EQ(Seek64(h, 2, -(int64_t(1) << 32)), five + 3 - (int64_t(1) << 32));
  EXPECT_EQ(Seek64(h, 0, 0), 0);
  EXPECT_EQ(Seek64(h, 0, -1), -1);  // before the start
  EXPECT_EQ(Seek64(h, 7, 0), -1);   // no such origin
  CloseHandle(h);
  EXPECT_EQ(FileSizeByName(file), five + 3);
  EXPECT_EQ(FileSize64(INVALID_HANDLE_VALUE), -1);
}

TEST(FilesWin, FileSizeByName) {
  ScratchFolder dir;
  MakeFile(dir / "abc.dat", std::string(123, 'x'), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileSizeByName(dir / "abc.dat"), 123);
  EXPECT_EQ(FileSizeByName(dir / "a*.dat"), 123);  // wildcards, any attributes
  EXPECT_EQ(FileSizeByName(dir / "nothing*.dat"), 0);
}

TEST(FilesWin, DiskFree) {
  EXPECT_GT(GetDiskFree(TempFolder()), 0.0);
  EXPECT_GT(GetDiskFree("C:\\"), 0.0);
  EXPECT_GT(GetDiskFree("c"), 0.0);  // a lone drive letter
  // A path below a folder that does not exist still answers for its drive.
  EXPECT_GT(GetDiskFree("C:\\no such folder\\deeper"), 0.0);
  const DWORD drives = GetLogicalDrives();
  char missing = 0;
  for (char letter = 'Z'; letter >= 'D' && !missing; --letter) {
    if (!(drives & (1u << (letter - 'A')))) missing = letter;
  }
  ASSERT_NE(missing, 0) << "every drive letter is in use";
  EXPECT_EQ(GetDiskFree(std::string(1, missing) + ":\\Data\\x"), -1.0);
  EXPECT_EQ(GetDiskFree(""), -1.0);
  EXPECT_EQ(GetDiskFree("\\\\no-such-server-here\\share\\x"), -1.0);
}

TEST(FilesWin, DeleteFiles) {
  ScratchFolder dir;
  MakeFile(dir / "a.tmp", "a");
  MakeFile(dir / "b.tmp", "b", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFile(dir / "c.tmp", "c", FILE_ATTRIBUTE_READONLY);
  MakeFile(dir / "keep.txt", "k");
  CreateDirectoryA((dir / "d.tmp").c_str(), nullptr);

  EXPECT_TRUE(DeleteFiles(dir / "*.tmp", false));
  EXPECT_FALSE(Exists(dir / "a.tmp"));
  EXPECT_FALSE(Exists(dir / "b.tmp"));
  EXPECT_TRUE(Exists(dir / "c.tmp"));  // read-only without clearing
  EXPECT_TRUE(Exists(dir / "d.tmp"));  // folders are not files
  EXPECT_TRUE(Exists(dir / "keep.txt"));

  EXPECT_TRUE(DeleteFiles(dir / "*.tmp", false));  // matched, though not deleted
  EXPECT_TRUE(DeleteFiles(dir / "*.tmp", true));
  EXPECT_FALSE(Exists(dir / "c.tmp"));
  EXPECT_FALSE(DeleteFiles(dir / "*.tmp", true));  // nothing left to match
  EXPECT_FALSE(DeleteFiles(dir / "none\\*.*", true));
}

TEST(FilesWin, DeleteTree) {
  ScratchFolder dir;
  EXPECT_FALSE(DeleteTree(dir / "missing", true));
  EXPECT_FALSE(DeleteTree("", true));

  const std::string root = dir / "tree";
  for (const char* sub : {"", "\\a", "\\a\\b", "\\c"}) {
    CreateDirectoryA((root + sub).c_str(), nullptr);
    MakeFile(root + sub + "\\f.txt", "x");
  }
  MakeFile(root + "\\a\\b\\ro.txt", "r", FILE_ATTRIBUTE_READONLY);
  MakeFile(root + "\\c\\h.txt", "h", FILE_ATTRIBUTE_HIDDEN);

  EXPECT_FALSE(DeleteTree(root, false));  // the read-only file stays, and so do its folders
  EXPECT_TRUE(Exists(root + "\\a\\b\\ro.txt"));
  EXPECT_FALSE(Exists(root + "\\c"));
  EXPECT_TRUE(DeleteTree(root + "\\", true));  // a trailing backslash is fine
  EXPECT_FALSE(Exists(root));
}

TEST(FilesWin, DeleteTreeDoesNotFollowLinks) {
  ScratchFolder dir;
  const std::string outside = dir / "outside";
  CreateDirectoryA(outside.c_str(), nullptr);
  MakeFile(outside + "\\precious.txt", "p");
  const std::string root = dir / "tree";
  CreateDirectoryA(root.c_str(), nullptr);
  using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto createLink = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  if (!createLink || !createLink((root + "\\link").c_str(), outside.c_str(), 1 /* directory */)) {
    GTEST_SKIP() << "no directory links here";
  }
  ASSERT_TRUE(GetFileAttributesA((root + "\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_TRUE(DeleteTree(root, true));
  EXPECT_TRUE(Exists(outside + "\\precious.txt"));
}

TEST(FilesWin, EjectCDOfOtherDrives) {
  EXPECT_FALSE(EjectCD("C"));
  EXPECT_FALSE(EjectCD("c:\\Data"));
  EXPECT_FALSE(EjectCD(""));
  EXPECT_FALSE(EjectCD("1"));
  EXPECT_FALSE(EjectCD("\\\\.\\C:"));
}

TEST(FilesWin, IsLeadByteFollowsTheCodePage) {
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(c)), IsDBCSLeadByte(BYTE(c)) != FALSE) << c;
  }
}

// ---- The self-delete batch, for real ----

// Runs in a copy of this test program started by the test below; does
// nothing in a normal run.
TEST(SelfDeleteChild, DeletesItself) {
  char flag[8] = {};
  if (GetEnvironmentVariableA("FILES_TEST_SELF_DELETE", flag, sizeof flag) == 0) {
    GTEST_SKIP() << "runs only as the child of FilesWin.DeleteMySelfRemovesTheEndedProgram";
  }
  EXPECT_TRUE(DeleteMySelf(true));
}

TEST(FilesWin, DeleteMySelfRemovesTheEndedProgram) {
  const std::string folder = TempFolder() + "\\SETUP_" + IntToText(GetCurrentProcessId());
  DeleteTree(folder, true);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string child = folder + "\\child copy.exe";
  ASSERT_TRUE(CopyFileA(ProcessModulePath().c_str(), child.c_str(), FALSE));

  std::string commandLine = "\"" + child + "\" --gtest_filter=SelfDeleteChild.*";
  SetEnvironmentVariableA("FILES_TEST_SELF_DELETE", "1");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA("FILES_TEST_SELF_DELETE", nullptr);
  ASSERT_TRUE(started);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);

  // The batch runs on after the child has ended; give it time.
  const std::string batch = TempFolder() + "\\" + kSelfDeleteBatchName;
  for (int i = 0; i < 300 && (Exists(child) || Exists(folder) || Exists(batch)); ++i) Sleep(100);
  EXPECT_FALSE(Exists(child));
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(Exists(batch));
  DeleteTree(folder, true);
}

}  // namespace
