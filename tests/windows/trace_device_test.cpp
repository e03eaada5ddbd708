// The trace device's Win32 outlets against the real API: a debug viewer
// window in this process (on its own thread, as a viewer program would be),
// the trace file, the log file and the watcher post.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log.h"
#include "support/trace.h"
#include "support/trace_win32.h"

namespace {

struct Received {
  WPARAM channel;
  std::string text;
};

// A window of class ".VDebug." on a thread of its own, recording every chunk
// it is sent.
class TestViewer {
 public:
  TestViewer() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &TestViewer::Run, this, 0, &threadId_);
    WaitForSingleObject(ready_, 10000);
  }
  ~TestViewer() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    UnregisterClassA(kDebugViewerClass, GetModuleHandleA(nullptr));
  }
  bool Exists() const { return window_ != nullptr; }
  // Only read once the writer's sends have returned (they are synchronous).
  const std::vector<Received>& Chunks() const { return received_; }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == DebugMessageId()) {
      auto* self = reinterpret_cast<TestViewer*>(GetWindowLongPtrA(w, GWLP_USERDATA));
      char text[256] = {};
      UINT n = GlobalGetAtomNameA(ATOM(lp), text, sizeof text);
      self->received_.push_back({wp, std::string(text, n)});
      return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
  }
  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<TestViewer*>(param);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kDebugViewerClass;
    RegisterClassA(&wc);
    self->window_ = CreateWindowA(kDebugViewerClass, "test viewer", WS_OVERLAPPED, 0, 0, 10,
                                  10, nullptr, nullptr, wc.hInstance, nullptr);
    if (self->window_) SetWindowLongPtrA(self->window_, GWLP_USERDATA, LONG_PTR(self));
    SetEvent(self->ready_);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    if (self->window_) DestroyWindow(self->window_);
    return 0;
  }

  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
  std::vector<Received> received_;
};

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string& path) {
  std::string text;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(f);
  return text;
}

std::string TempFilePath(const char* name) {
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

TEST(TraceViewerProtocol, ChunksArriveInOrderThroughAtomsOnChannelOne) {
  TraceDeviceStart();
  ASSERT_NE(DebugMessageId(), 0u);
  TestViewer viewer;
  ASSERT_TRUE(viewer.Exists());
  const std::string line(128, 'a');
  TraceLine(line + std::string(128, 'b') + std::string(44, 'c'));
  TraceLine("");
  TraceLine("#12");  // a name of this form makes an integer atom
  const std::vector<std::string> expected = {line, std::string(128, 'b'),
                                             std::string(44, 'c') + "\r\n", "\r\n", "#12\r\n"};
  ASSERT_EQ(viewer.Chunks().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(viewer.Chunks()[i].text, expected[i]) << i;
    EXPECT_EQ(viewer.Chunks()[i].channel, WPARAM(kDebugChannel)) << i;
    // Deleted as soon as the send returned.
    EXPECT_EQ(GlobalFindAtomA(expected[i].c_str()), 0) << i;
  }
}

TEST(TraceViewerProtocol, NoViewerDropsTheChunkAndLeavesNoAtom) {
  ASSERT_EQ(FindWindowA(kDebugViewerClass, nullptr), nullptr);
  TraceLine("nobody listens 8c1f");
  EXPECT_EQ(GlobalFindAtomA("nobody listens 8c1f\r\n"), 0);
}

TEST(TraceOutputModes, DecideBetweenViewerAndTraceFile) {
  const std::string file = TempFilePath("trace_mode_test.txt");
  const std::string chunk = "a\rb\nc\r\nd\n";
  const std::string stored = "a\r\nb\r\nc\r\nd\r\n";
  const struct {
    uint8_t mode;
    bool toViewer, toFile;
  } cases[] = {{0, true, false}, {1, false, true}, {2, true, true}, {3, false, false},
               {255, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.mode));
    DeleteFileA(file.c_str());
    TestViewer viewer;
    ASSERT_TRUE(viewer.Exists());
    DispatchTraceChunk(chunk.data(), chunk.size(), c.mode, file.c_str());
    DispatchTraceChunk(chunk.data(), chunk.size(), c.mode, file.c_str());
    EXPECT_EQ(FileExists(file), c.toFile);
    if (c.toFile) EXPECT_EQ(ReadFileText(file), stored + stored);
    if (c.toViewer) {
      ASSERT_EQ(viewer.Chunks().size(), 2u);
      EXPECT_EQ(viewer.Chunks()[0].text, chunk);  // as delivered, not normalised
    } else {
      EXPECT_TRUE(viewer.Chunks().empty());
    }
  }
  DeleteFileA(file.c_str());
}

TEST(TraceOutputModes, TraceFileIsSharedWithAReader) {
  const std::string file = TempFilePath("trace_share_test.txt");
  DeleteFileA(file.c_str());
  DispatchTraceChunk("one\r\n", 5, 1, file.c_str());
  HANDLE reader = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  DispatchTraceChunk("two\r\n", 5, 1, file.c_str());
  CloseHandle(reader);
  EXPECT_EQ(ReadFileText(file), "one\r\ntwo\r\n");
  DeleteFileA(file.c_str());
}

TEST(TraceOutputModes, BuiltModeNeverWritesTheTraceFile) {
  ASSERT_EQ(BuildDebugOutputMode(), 0);
  if (FileExists(kTraceFilePath)) GTEST_SKIP() << kTraceFilePath << " exists already";
  TraceLine("mode 0 writes no file");
  EXPECT_FALSE(FileExists(kTraceFilePath));
}

// Leaves the log disabled and its file removed, whatever a test did.
class LogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = LogFileName();
    DeleteFileA(name_.c_str());
  }
  void TearDown() override {
    SetLogEnabled(false);
    SetLogPrefix("   ");
    DeleteFileA(name_.c_str());
  }
  std::string name_;
};

TEST_F(LogFile, LiesBesideTheProgram) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path);
  const size_t slash = program.rfind('\\');
  const std::string stem = program.substr(slash + 1, program.rfind('.') - slash - 1);
  EXPECT_EQ(name_, program.substr(0, slash) + "\\X_" + stem + ".log");  // X_win_tests.log
}

TEST_F(LogFile, DisabledWritesNothing) {
  SetLogEnabled(false);
  WriteLog("not written");
  EXPECT_FALSE(FileExists(name_));
}

std::string TwoDigits(int v) {
  return std::string(1, char('0' + v / 10 % 10)) + char('0' + v % 10);
}

TEST_F(LogFile, EnabledAppendsStampedLines) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char dateSep[8] = {}, timeSep[8] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, dateSep, sizeof dateSep);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, timeSep, sizeof timeSep);
  const std::string date = TwoDigits(now.wDay) + dateSep + TwoDigits(now.wMonth) + dateSep +
                           TwoDigits(now.wYear % 100) + " ";
  // The stamp ends with "HH:NN:SS", this user's time separator between.
  const size_t stamp = date.size() + 6 + 2 * std::string(timeSep).size();
  std::string thread = std::to_string(GetCurrentThreadId());
  if (thread.size() < 5) thread.insert(0, 5 - thread.size(), ' ');

  SetLogEnabled(true);
  WriteLog("");
  SetLogPrefix(" X ");
  WriteLog("=== START === here");
  const std::string text = ReadFileText(name_);
  const size_t firstEnd = text.find("\r\n");
  ASSERT_NE(firstEnd, std::string::npos) << text;
  const std::string lines[] = {text.substr(0, firstEnd + 2), text.substr(firstEnd + 2)};
  const std::string tails[] = {" " + thread + "   \r\n", " " + thread + " X === START === here\r\n"};
  for (int i = 0; i < 2; ++i) {
    ASSERT_GT(lines[i].size(), stamp) << text;
    EXPECT_EQ(lines[i].substr(0, date.size()), date);  // fails only across midnight
    EXPECT_EQ(lines[i].substr(date.size(), 2 + std::string(timeSep).size()),
              TwoDigits(now.wHour) + timeSep) << "(fails only across the hour)";
    EXPECT_EQ(lines[i].substr(stamp), tails[i]);
  }
}

TEST(Watcher, PostsOnlyOnceRegistered) {
  const UINT id = RegisterWindowMessageA("trace_device_test watcher");
  HWND window = CreateWindowA("STATIC", "watcher", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const struct {
    uintptr_t window;
    uint32_t message;
    bool posted;
  } cases[] = {{0, 0, false}, {uintptr_t(window), 0, false}, {0, id, false},
               {uintptr_t(window), id, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.window << " " << c.message);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetWatcher(c.window, c.message);
    NotifyWatcher(50, intptr_t(window));
    std::vector<MSG> got;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == id || m.message == WM_NULL) got.push_back(m);
    }
    ASSERT_EQ(got.size(), c.posted ? 1u : 0u);
    if (c.posted) {
      EXPECT_EQ(got[0].hwnd, window);
      EXPECT_EQ(got[0].wParam, WPARAM(50));
      EXPECT_EQ(got[0].lParam, LPARAM(window));
    }
  }
  SetWatcher(0, 0);
  DestroyWindow(window);
}

}  // namespace
