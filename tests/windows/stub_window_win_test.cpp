// The stub window against the real window manager: its controls, the control
// messages of the agent with real settings files, the progress callback on
// real bars, the label, and the two-step close that removes the work folder.
//
// The checks run in a child process of their own: the window makes the
// process's one choice of strings section, keeps process-wide state and
// posts WM_QUIT, none of which may reach other tests.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "env/files.h"
#include "env/switches.h"
#include "env/text.h"
#include "net/download_abort.h"
#include "package/byte_source.h"
#include "package/file_info.h"
#include "setup/work_folder.h"
#include "stub/roles.h"
#include "stub/window.h"
#include "stub/window_layout.h"
#include "ui/progress.h"
#include "package/strings_block.h"
#include "unit/package_fixture.h"
#include "windows/self_child.h"

namespace {

constexpr char kClass[] = "StubWindowTest.Window";
constexpr char kChildTag[] = "stub-window";
constexpr char kInfoName[] = "StubWindowTest.info";

HWND H(uintptr_t h) { return reinterpret_cast<HWND>(h); }

std::string Folder() { return FolderOfFile(ProcessModulePath()) + "\\"; }

// A window that collects what is posted to it.
class Watcher {
 public:
  Watcher() {
    window_ = CreateWindowA("STATIC", "watcher", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~Watcher() { DestroyWindow(window_); }
  HWND window() const { return window_; }
  // (message, wParam, lParam) of every posted message waiting for it.
  std::vector<std::vector<uintptr_t>> Take() {
    std::vector<std::vector<uintptr_t>> got;
    MSG msg;
    while (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE))
      got.push_back({msg.message, msg.wParam, uintptr_t(msg.lParam)});
    return got;
  }

 private:
  HWND window_;
};

class StubWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (self_child::ChildArgument() != kChildTag) GTEST_SKIP() << "runs in the child of StubWindow.InAProcessOfItsOwn";
    // One section: every user gets it, whatever the language. Hebrew
    // characters put the label and the activity bar on the other sides.
    strings_block::Section hebrew;
    hebrew.language = "Hebrew";
    hebrew.entries = {{"Charset", "177"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", "Stub window test"}};
    FixtureBlocks f;
    std::string error;
    ASSERT_TRUE(strings_block::Compose({hebrew}, &f.blocks[0], &error)) << error;
    f.agentByte = 1;
    f.blocks[1] = std::string("|http://x/|") + kInfoName + "|StubWindowTest.exe|tok|0|";
    bytes_ = MakeSetup(f);
    info_ = TGFileInfo(MemorySource(bytes_));
    SetRunningPackageInfo(&info_);
    agent::ResetState();
    SetDownloadAbort(false);
    window_ = H(CreateStubWindow(kClass));
    ASSERT_TRUE(window_);
  }
  void TearDown() override {
    if (self_child::ChildArgument() != kChildTag) return;
    self_child::Report("ran");
    if (IsWindow(window_)) DestroyWindow(window_);
    // The destruction posts WM_QUIT; it must not reach a later test's loop.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SetRunningPackageInfo(nullptr);
    DeleteFileA(original().c_str());
    DeleteFileA(updateInfo().c_str());
    agent::ResetState();
    SetDownloadAbort(false);
  }
  std::string original() const { return Folder() + "StubWindowTest.original"; }
  std::string updateInfo() const { return Folder() + kInfoName; }
  LRESULT Code(WPARAM code, LPARAM value) { return SendMessageA(window_, 0x465, code, value); }

  std::string bytes_;
  TGFileInfo info_;
  HWND window_ = nullptr;
};

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(StubWindow, InAProcessOfItsOwn) {
  const self_child::Result r = self_child::Run("StubWindowTest.*", {{"SETUP_STUB_TEST_CHILD", kChildTag}});
  EXPECT_EQ(r.exitCode, 0) << "run win_tests.exe --gtest_filter=StubWindowTest.* with "
                              "SETUP_STUB_TEST_CHILD=" << kChildTag << " to see the failures";
  EXPECT_EQ(r.report, "ran");
}

TEST_F(StubWindowTest, HiddenCentredWithItsThreeControls) {
  EXPECT_FALSE(IsWindowVisible(window_));
  char title[64] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(title, "Stub window test");
  RECT r;
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.right - r.left, stubwin::kWidth);
  EXPECT_EQ(r.bottom - r.top, stubwin::kHeight);
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_EQ(r.left, area.left + (area.right - area.left - 492) / 2);
  EXPECT_EQ(r.top, area.top + (area.bottom - area.top - 110) / 2);
  EXPECT_EQ(LONG(GetWindowLongPtrA(window_, GWL_STYLE) & 0x02CF0000), LONG(0x02C80000));

  const struct {
    HWND control;
    const char* cls;
    RECT where;
    bool visible;
  } controls[] = {
      {H(StubLabel()), "Static", {122, 20, 462, 38}, true},  // right to left: sides swapped
      {H(StubMainBar()), PROGRESS_CLASSA, {70, 38, 462, 51}, true},
      {H(StubActivityBar()), PROGRESS_CLASSA, {70, 20, 116, 33}, false},
  };
  for (const auto& c : controls) {
    char cls[64] = {};
    GetClassNameA(c.control, cls, sizeof cls);
    EXPECT_STREQ(cls, c.cls);
    const RECT got = ChildRect(c.control);
    EXPECT_EQ(got.left, c.where.left) << c.cls;
    EXPECT_EQ(got.top, c.where.top) << c.cls;
    EXPECT_EQ(got.right, c.where.right) << c.cls;
    EXPECT_EQ(got.bottom, c.where.bottom) << c.cls;
    EXPECT_EQ(IsWindowVisible(c.control) != 0, c.visible && IsWindowVisible(window_)) << c.cls;
    EXPECT_EQ((GetWindowLongPtrA(c.control, GWL_STYLE) & WS_VISIBLE) != 0, c.visible) << c.cls;
  }
  // The tick count starts at -3 without "/SleepX=".
  EXPECT_EQ(agent::TimerCount(), -3);
}

TEST_F(StubWindowTest, ControlCodesUseTheSettingsBesideTheProgram) {
  WritePrivateProfileStringA("OriginalSetup", "VersionOriginal", "42", original().c_str());
  WritePrivateProfileStringA("OriginalSetup", "ProbeSecondsInterval", "3600", original().c_str());
  WritePrivateProfileStringA("NewSetup", "VersionNew", "43", updateInfo().c_str());
  EXPECT_EQ(Code(4, 0), 42);
  EXPECT_EQ(Code(5, 0), 43);
  EXPECT_EQ(Code(8, 0), 3600);
  agent::SetActivity(3);
  EXPECT_EQ(Code(7, 0), 3);

  EXPECT_EQ(Code(14, 4006002563LL - 4294967296LL), 0);  // a signed 32-bit value travels
  char buf[64] = {};
  GetPrivateProfileStringA("OriginalSetup", "ProbeSecondsLast", "", buf, sizeof buf, original().c_str());
  EXPECT_STREQ(buf, "-288964733");
  EXPECT_EQ(Code(12, 60), 0);
  EXPECT_EQ(Code(8, 0), 60);

  EXPECT_EQ(Code(22, 1), 0);
  EXPECT_EQ(agent::OverrideValue(agent::kConfirmBeforeInstall), 1);
  EXPECT_EQ(Code(31, 2), 0);
  EXPECT_TRUE(agent::ForceProbe());
  EXPECT_EQ(agent::CheckMode(), 2);
  EXPECT_EQ(agent::TimerCount(), 1);
  EXPECT_EQ(Code(77, 1), 0);  // outside the table

  SendMessageA(window_, 0x463, 9, 0);  // wm_ShutDown
  EXPECT_EQ(agent::LifeCountdown(), 9);
}

TEST_F(StubWindowTest, RegisteringAWatcherTellsItTheWindowAndTheMessage) {
  Watcher watcher;
  SendMessageA(window_, 0x464, reinterpret_cast<WPARAM>(watcher.window()), 0x8123);
  const std::vector<std::vector<uintptr_t>> want = {
      {0x8123, 50, reinterpret_cast<uintptr_t>(window_)},
      {0x8123, 51, 0x465},
  };
  EXPECT_EQ(watcher.Take(), want);
  EndStubWindow();  // the end of the loop says 43
  EXPECT_EQ(watcher.Take(), (std::vector<std::vector<uintptr_t>>{{0x8123, 43, 0}}));
  SendMessageA(window_, 0x464, 0, 0);  // unregister
}

TEST_F(StubWindowTest, ProgressFillsTheBars) {
  HWND main = H(StubMainBar()), activity = H(StubActivityBar());
  auto range = [](HWND bar) {
    PBRANGE r = {};
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&r));
    return std::vector<int>{r.iLow, r.iHigh};
  };
  auto pos = [](HWND bar) { return int(SendMessageA(bar, PBM_GETPOS, 0, 0)); };

  TProgBar& reporter = GlobalProgressReporter();
  EXPECT_EQ(&reporter, &GlobalProgressReporter());
  reporter.Start(1, 11);
  EXPECT_EQ(range(main), (std::vector<int>{0, 11}));
  EXPECT_EQ(pos(main), 1);
  EXPECT_EQ(range(activity), (std::vector<int>{0, 5}));
  const int activityWant[] = {1, 2, 3, 4, 5, 0, 1, 2, 3, 4};
  for (int i = 0; i < 10; ++i) {
    reporter.Step("step");
    EXPECT_EQ(pos(main), i + 2);
    EXPECT_EQ(pos(activity), activityWant[i]);
  }
  reporter.Finish(0, 0);
  EXPECT_EQ(range(main), (std::vector<int>{0, 0}));

  StubProgress(0, 0, 70000, 5, 2, "");
  EXPECT_EQ(range(main), (std::vector<int>{0, 70000 - 65536}));
  EXPECT_EQ(pos(main), 5);
  StubProgress(1, 0, 0, 0, 0, "");
  EXPECT_EQ(pos(main), 7);
  StubProgress(9, 0, 100, 50, 1, "");  // not an operation: nothing moves
  EXPECT_EQ(pos(main), 7);
  EXPECT_EQ(range(main), (std::vector<int>{0, 70000 - 65536}));
}

TEST_F(StubWindowTest, SetLabelRestylesForRightToLeft) {
  HWND label = H(StubLabel());
  const struct {
    int charset;
    bool rtl;
  } cases[] = {{177, true}, {0, false}, {178, true}, {162, false}};
  for (const auto& c : cases) {
    SetLabel("Extracting Files...", "Arial", c.charset, 9);
    char text[64] = {};
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "Extracting Files...");
    EXPECT_EQ((GetWindowLongPtrA(label, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0, c.rtl) << c.charset;
    EXPECT_EQ(GetWindowLongPtrA(label, GWL_STYLE) & SS_TYPEMASK, c.rtl ? SS_RIGHT : SS_LEFT) << c.charset;
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -PointsToPixels(9));
    EXPECT_EQ(lf.lfCharSet, c.charset);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
  }
}

TEST_F(StubWindowTest, ColourValues) {
  EXPECT_EQ(ColourValue(0x80000000u | COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColourValue(0x80000000u | COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColourValue(0x00984E00u), 0x00984E00u);
}

TEST_F(StubWindowTest, FirstCloseStopsADownloadTheSecondCloses) {
  // Chosen (and so made) by an earlier test's window perhaps, and gone with it.
  const std::string work = WorkFolder();
  CreateDirectoryA(work.c_str(), nullptr);
  ASSERT_TRUE(WriteFileText(work + "\\left.txt", "x", 0, false));

  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(DownloadAborted());
  EXPECT_FALSE(StubQuitFlag());
  EXPECT_NE(GetFileAttributesA(work.c_str()), INVALID_FILE_ATTRIBUTES);

  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(StubQuitFlag());
  EXPECT_EQ(GetFileAttributesA(work.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(StubMainWindow(), 0u);

  // The loop ends on the posted WM_QUIT without waiting for anything.
  const int64_t start = GetTickMs();
  RunStubMessageLoop();
  EXPECT_LT(GetTickMs() - start, 500);
}

TEST_F(StubWindowTest, QuitSentToTheWindowDestroysLikeDestroy) {
  const std::string work = WorkFolder();
  SendMessageA(window_, WM_QUIT, 0, 0);
  EXPECT_TRUE(StubQuitFlag());
  EXPECT_TRUE(DownloadAborted());
  EXPECT_EQ(GetFileAttributesA(work.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StubWindowTest, AnswersQueryCancelAutoPlayOnlyWhileRegistered) {
  SetAutoPlaySuppression(true);
  EXPECT_EQ(SendMessageA(window_, GetAutoPlayMessage(), 0, 0), 1);
  const UINT message = GetAutoPlayMessage();
  SetAutoPlaySuppression(false);
  EXPECT_EQ(SendMessageA(window_, message, 0, 0), 0);
}

}  // namespace
