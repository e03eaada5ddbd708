// The Win32 text helpers: message pumping, clock, locale texts, AutoPlay.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "env/text.h"
#include "support/trace.h"

namespace {

int g_handled = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP + 1) {
    ++g_handled;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A message-only window whose procedure counts WM_APP+1.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TextWinTestCounter";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowA("TextWinTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
  }
  ~CountingWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(TextWin, YieldXDispatchesWaitingMessages) {
  CountingWindow window;
  ASSERT_NE(window.get(), nullptr);
  g_handled = 0;
  for (int i = 0; i < 3; ++i) PostMessageA(window.get(), WM_APP + 1, 0, 0);
  YieldX(0);
  EXPECT_EQ(g_handled, 3);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(TextWin, YieldXLeavesQuitForTheMessageLoop) {
  CountingWindow window;
  ASSERT_NE(window.get(), nullptr);
  DrainQueue();
  g_handled = 0;
  PostMessageA(window.get(), WM_APP + 1, 0, 0);
  PostQuitMessage(7);
  YieldX(0);
  WaitYielding(0, 30);
  EXPECT_EQ(g_handled, 1);  // messages before the quit request still run
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, WPARAM(7));
  DrainQueue();
}

TEST(TextWin, WaitYieldingKeepsPumping) {
  CountingWindow window;
  ASSERT_NE(window.get(), nullptr);
  g_handled = 0;
  PostMessageA(window.get(), WM_APP + 1, 0, 0);
  const int64_t start = GetTickMs();
  WaitYielding(0, 120);
  const int64_t took = GetTickMs() - start;
  EXPECT_EQ(g_handled, 1);
  EXPECT_GE(took, 120);
  EXPECT_LT(took, 5000);
}

TEST(TextWin, GetTickMsCountsMilliseconds) {
  const int64_t a = GetTickMs();
  Sleep(200);
  const int64_t b = GetTickMs();
  EXPECT_GE(b - a, 190);
  EXPECT_LT(b - a, 5000);
}

TEST(TextWin, LocalNowIsTheSystemsLocalTime) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  const LocalTime t = LocalNow();
  EXPECT_EQ(t.year, st.wYear);
  EXPECT_EQ(t.month, st.wMonth);
  EXPECT_GE(t.day, 1);
  EXPECT_LE(t.hour, 23);
}

// Date texts under a user locale with other separators: the log time follows
// them, the day-month-year text keeps its English month names.
TEST(TextWin, DateTextsOnAnotherLocale) {
  char oldDate[16] = {}, oldTime[16] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, oldDate, sizeof oldDate);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, oldTime, sizeof oldTime);
  if (!SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, ".")) {
    GTEST_SKIP() << "the user's date separator cannot be changed here";
  }
  const LCID oldThread = GetThreadLocale();
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
  LocalTime t;
  t.year = 2027;
  t.month = 3;
  t.day = 1;
  t.hour = 14;
  t.minute = 5;
  t.second = 9;
  const std::string logTime = FormatLogTime(t);
  const std::string dayMonYear = FormatDayMonYear(t);
  const std::string withTime = FormatDayMonYearTime(" ", t);
  SetThreadLocale(oldThread);
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, oldDate);
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, oldTime);
  EXPECT_EQ(logTime, "01.03.27 14" + std::string(oldTime) + "05" + oldTime + "09");
  EXPECT_EQ(dayMonYear, "01-MAR-2027");
  EXPECT_EQ(withTime, "01-MAR-2027 14" + std::string(oldTime) + "05" + oldTime + "09");
}

TEST(TextWin, AutoPlaySuppression) {
  SetAutoPlaySuppression(true);
  const unsigned id = GetAutoPlayMessage();
  EXPECT_EQ(id, RegisterWindowMessageA("QueryCancelAutoPlay"));
  EXPECT_GE(id, 0xC000u);  // a registered message
  SetAutoPlaySuppression(false);
  EXPECT_EQ(GetAutoPlayMessage(), 0u);
}

TEST(TextWin, LoadProcAndShell) {
  EXPECT_EQ(LoadProc("kernel32.dll", "GetTickCount"),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
  EXPECT_EQ(LoadProc("kernel32.dll", "NoSuchEntryPoint"), nullptr);
  EXPECT_EQ(LoadProc("no_such_library_here.dll", "Anything"), nullptr);
  EXPECT_EQ(LoadProc("", "Anything"), nullptr);
  EXPECT_FALSE(OpenWithShell("C:\\no such folder\\no such file.txt", "", SW_HIDE));
}

TEST(TextWin, PointsToPixels) {
  const int ppi = ScreenPixelsPerInch();
  ASSERT_GT(ppi, 0);
  EXPECT_EQ(PointsToPixels(72), ppi);
  EXPECT_EQ(PointsToPixels(10), MulDiv(10, ppi, 72));
  EXPECT_EQ(PointsToPixels(0), 0);
}

}  // namespace
