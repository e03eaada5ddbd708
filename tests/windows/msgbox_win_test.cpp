// The message box against the real window manager, in this process: each
// box is driven from a thread timer that its own message loop dispatches,
// so the checks see the finished box and answer it with posted keys.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "env/text.h"
#include "ui/msgbox.h"

namespace {

struct BoxView {
  HWND box = nullptr;
  HWND text = nullptr;
  std::vector<HWND> buttons;  // left to right
};

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
  auto* view = reinterpret_cast<BoxView*>(lp);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "BUTTON") == 0) {
    view->buttons.push_back(child);
  } else {
    view->text = child;
  }
  return TRUE;
}

BoxView View(HWND box) {
  BoxView v;
  v.box = box;
  EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&v));
  auto left = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.left;
  };
  std::sort(v.buttons.begin(), v.buttons.end(), [&](HWND a, HWND b) { return left(a) < left(b); });
  return v;
}

BOOL CALLBACK FindOwnBox(HWND window, LPARAM lp) {
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, "VMsgBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = window;
  return FALSE;
}

// The box of this thread (other programs of the Wine prefix may show theirs).
HWND OwnBox() {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOwnBox, reinterpret_cast<LPARAM>(&box));
  return box;
}

std::function<void(const BoxView&)> g_act;
UINT_PTR g_actTimer = 0, g_safetyTimer = 0;

void CALLBACK ActTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = OwnBox();
  if (!box || !g_act) return;
  KillTimer(nullptr, g_actTimer);
  auto act = std::move(g_act);
  g_act = nullptr;
  act(View(box));
}

// A box no check answered must not keep the test run waiting.
void CALLBACK SafetyTick(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND box = OwnBox()) {
    ADD_FAILURE() << "a box was left open";
    SendMessageA(box, WM_CLOSE, 0, 0);
  }
}

// Runs `show` (which puts up a box) while `act` runs once the box is up.
int Drive(const std::function<int()>& show, std::function<void(const BoxView&)> act) {
  g_act = std::move(act);
  g_actTimer = SetTimer(nullptr, 0, 30, ActTick);
  g_safetyTimer = SetTimer(nullptr, 0, 15000, SafetyTick);
  const int result = show();
  KillTimer(nullptr, g_actTimer);
  KillTimer(nullptr, g_safetyTimer);
  EXPECT_FALSE(g_act) << "the box never came up";
  g_act = nullptr;
  EXPECT_EQ(OwnBox(), nullptr);
  return result;
}

void Key(WPARAM vk) { PostMessageA(GetFocus(), WM_KEYDOWN, vk, 0); }
void AltKey(char c) { PostMessageA(GetFocus(), WM_SYSCHAR, WPARAM(c), 0x20000000); }

std::string TextOf(HWND w) {
  char buf[4096] = {};
  const int n = GetWindowTextA(w, buf, sizeof buf);
  return std::string(buf, size_t(n > 0 ? n : 0));
}

RECT ClientRectOf(HWND w) {
  RECT r;
  GetClientRect(w, &r);
  return r;
}

// Rect of a child in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool IsBold(HWND rich, int start, int end) {
  SendMessageA(rich, EM_SETSEL, start, end);
  CHARFORMATA cf = {};
  cf.cbSize = sizeof cf;
  SendMessageA(rich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD);
}

int Show(const std::string& text, uint32_t flags, int timeoutMs = 0,
         const std::string& captions = msgbox::kDefaultCaptions) {
  return ShowRichMsgBox(0, text, "Test", timeoutMs, flags, captions);
}

class MsgBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { SetMsgBoxFont("Tahoma", 8, 1); }
};

TEST_F(MsgBoxTest, BoldRunsAreBoldInTheControl) {
  std::string plain;
  bool bold = false, before = true, after = true;
  const int r = Drive([] { return Show("Plain <b>Bold</b> end<P>again", 0); },
                      [&](const BoxView& v) {
                        char cls[32] = {};
                        GetClassNameA(v.text, cls, sizeof cls);
                        EXPECT_STREQ(cls, "RICHEDIT");
                        plain = TextOf(v.text);
                        bold = IsBold(v.text, 6, 10);
                        before = IsBold(v.text, 0, 5);
                        after = IsBold(v.text, 11, 14);
                        Key(VK_ESCAPE);
                      });
  EXPECT_EQ(r, msgbox::kNone);
  EXPECT_EQ(plain, "Plain Bold end\r\nagain");
  EXPECT_TRUE(bold);
  EXPECT_FALSE(before);
  EXPECT_FALSE(after);
}

TEST_F(MsgBoxTest, TitleAsBoldHeadingInModeZero) {
  std::string caption, text;
  bool headingBold = false;
  Drive([] { return MsgBox(0, "Something failed.", "Error", 0, 0x10, 0, ""); },
        [&](const BoxView& v) {
          caption = TextOf(v.box);
          text = TextOf(v.text);
          headingBold = IsBold(v.text, 0, 5);
          Key(VK_RETURN);
        });
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(text, "ERROR\r\n\r\nSomething failed.\r\n");
  EXPECT_TRUE(headingBold);
}

TEST_F(MsgBoxTest, ShortTextGivesTheMinimumBoxWithOkAtTheRight) {
  RECT box = {}, client = {}, button = {};
  std::string caption;
  LONG_PTR style = 0;
  bool focused = false;
  size_t count = 0;
  const int r = Drive([] { return Show("Short.", 0x40); },
                      [&](const BoxView& v) {
                        GetWindowRect(v.box, &box);
                        client = ClientRectOf(v.box);
                        count = v.buttons.size();
                        if (count == 1) {
                          button = ChildRect(v.buttons[0]);
                          caption = TextOf(v.buttons[0]);
                          style = GetWindowLongPtrA(v.buttons[0], GWL_STYLE) & 0x0F;
                          focused = GetFocus() == v.buttons[0];
                        }
                        Key(VK_RETURN);
                      });
  EXPECT_EQ(r, msgbox::kOk);
  EXPECT_EQ(box.right - box.left, 360);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(caption, "&OK");
  EXPECT_EQ(button.left, client.right - 80);
  EXPECT_EQ(button.right - button.left, 70);
  EXPECT_EQ(button.bottom - button.top, 23);
  EXPECT_EQ(button.top, client.bottom - 29);
  EXPECT_EQ(style, BS_DEFPUSHBUTTON);
  EXPECT_TRUE(focused);
}

TEST_F(MsgBoxTest, ALineOver600PixelsWrapsInA610PixelControl) {
  const std::string line(300, 'W');
  RECT text = {}, client = {};
  int lineHeight = 0, extent = 0;
  Drive([&] { return Show(line + "<P>second line", 0); },
        [&](const BoxView& v) {
          text = ChildRect(v.text);
          client = ClientRectOf(v.box);
          // The box font (the control does not hand its font back).
          HFONT font = CreateFontA(-PointsToPixels(8), 0, 0, 0, FW_NORMAL, 0, 0, 0, 1, 0, 0, 0,
                                   FF_SWISS, "Tahoma");
          HDC dc = GetDC(v.text);
          HGDIOBJ old = SelectObject(dc, font);
          TEXTMETRICA tm;
          GetTextMetricsA(dc, &tm);
          lineHeight = tm.tmHeight + tm.tmExternalLeading;
          SIZE s;
          GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &s);
          extent = s.cx;
          SelectObject(dc, old);
          ReleaseDC(v.text, dc);
          DeleteObject(font);
          Key(VK_ESCAPE);
        });
  ASSERT_GT(extent, 600);
  EXPECT_EQ(text.right - text.left, 610);
  // Measured height: the long line counts once per started 600 pixels; the
  // client area holds it with the button bar and margins of 32 each.
  const int measured = (extent / 600 + 1 + 1) * lineHeight;
  EXPECT_EQ(client.bottom, measured + 36 + 2 * 32);
  EXPECT_EQ(text.left, (client.right - 54 - 610) / 2 + 54);
}

TEST_F(MsgBoxTest, Keyboard) {
  const struct {
    const char* what;
    uint32_t flags;
    std::function<void()> keys;
    int want;
  } cases[] = {
      {"Y", 4, [] { Key('Y'); }, msgbox::kYes},
      {"N", 4, [] { Key('N'); }, msgbox::kNo},
      {"Escape", 4, [] { Key(VK_ESCAPE); }, msgbox::kNone},
      {"Enter on the first", 4, [] { Key(VK_RETURN); }, msgbox::kYes},
      {"Tab, Enter", 4, [] { Key(VK_TAB); Key(VK_RETURN); }, msgbox::kNo},
      {"Right, Right wraps", 4, [] { Key(VK_RIGHT); Key(VK_RIGHT); Key(VK_RETURN); }, msgbox::kYes},
      {"Left wraps back", 4, [] { Key(VK_LEFT); Key(VK_RETURN); }, msgbox::kNo},
      {"Down, Up", 3, [] { Key(VK_DOWN); Key(VK_DOWN); Key(VK_UP); Key(VK_RETURN); }, msgbox::kNo},
      {"focus bits choose the second", 0x104, [] { Key(VK_RETURN); }, msgbox::kNo},
      {"focus bits wrap", 0x503, [] { Key(VK_RETURN); }, msgbox::kCancel},
      {"Alt+n", 4, [] { AltKey('n'); }, msgbox::kNo},
      {"Alt+Y", 4, [] { AltKey('Y'); }, msgbox::kYes},
      {"a letter no caption has", 4, [] { Key('X'); Key(VK_TAB); Key(VK_RETURN); }, msgbox::kNo},
      {"C for Cancel", 3, [] { Key('C'); }, msgbox::kCancel},
      {"A, R, I", 2, [] { Key('I'); }, msgbox::kIgnore},
      {"R for Retry", 5, [] { Key('R'); }, msgbox::kRetry},
  };
  for (const auto& c : cases) {
    const int r = Drive([&] { return Show("Go on?", c.flags); }, [&](const BoxView&) { c.keys(); });
    EXPECT_EQ(r, c.want) << c.what;
  }
}

TEST_F(MsgBoxTest, TimeOutChoosesTheFirstButton) {
  const struct {
    uint32_t flags;
    int want;
  } cases[] = {{4, msgbox::kYes}, {5, msgbox::kRetry}, {6, msgbox::kNone}};  // 6: no buttons
  for (const auto& c : cases) {
    const int64_t start = GetTickMs();
    EXPECT_EQ(Show("Closes by itself", c.flags, 400), c.want) << c.flags;
    EXPECT_GE(GetTickMs() - start, 380) << c.flags;
  }
}

TEST_F(MsgBoxTest, RightToLeftForHebrewAndArabic) {
  for (int charset : {0, 177, 178}) {
    LONG_PTR exStyle = 0, style = 0;
    WORD alignment = 0;
    Drive([&] { return MsgBox(1, "Line one<P>two", "T", 0, 0, charset, ""); },
          [&](const BoxView& v) {
            exStyle = GetWindowLongPtrA(v.text, GWL_EXSTYLE);
            style = GetWindowLongPtrA(v.text, GWL_STYLE);
            PARAFORMAT pf = {};
            pf.cbSize = sizeof pf;
            SendMessageA(v.text, EM_SETSEL, 0, 0);
            SendMessageA(v.text, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
            alignment = pf.wAlignment;
            Key(VK_ESCAPE);
          });
    const bool rtl = charset != 0;
    EXPECT_EQ((exStyle & WS_EX_RTLREADING) != 0, rtl) << charset;
    EXPECT_EQ((style & ES_RIGHT) != 0, rtl) << charset;
    EXPECT_EQ(alignment == PFA_RIGHT, rtl) << charset;
  }
}

TEST_F(MsgBoxTest, ModeTwoGreysTheCloseCommand) {
  for (uintptr_t mode : {1, 2}) {
    UINT state = 0;
    Drive([&] { return MsgBox(mode, "x", "T", 0, 0, 0, ""); },
          [&](const BoxView& v) {
            state = GetMenuState(GetSystemMenu(v.box, FALSE), SC_CLOSE, MF_BYCOMMAND);
            Key(VK_ESCAPE);
          });
    EXPECT_EQ((state & MF_GRAYED) != 0, mode == 2) << mode;
  }
}

TEST_F(MsgBoxTest, MissingCaptionsGiveEmptyButtons) {
  std::vector<std::string> captions;
  Drive([] { return Show("x", 3, 0, "|&Tamam|"); },
        [&](const BoxView& v) {
          for (HWND b : v.buttons) captions.push_back(TextOf(b));
          Key(VK_ESCAPE);
        });
  EXPECT_EQ(captions, (std::vector<std::string>{"", "", ""}));
}

TEST_F(MsgBoxTest, TheActiveWindowIsDisabledWhileTheBoxIsUp) {
  HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                             nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  SetActiveWindow(owner);
  bool enabledDuring = true;
  HWND boxOwner = nullptr;
  Drive([] { return MsgBox(1, "Owned?", "T", 0, 4, 0, msgbox::kDefaultCaptions); },
        [&](const BoxView& v) {
          enabledDuring = IsWindowEnabled(owner);
          boxOwner = GetWindow(v.box, GW_OWNER);
          Key('N');
        });
  EXPECT_FALSE(enabledDuring);
  EXPECT_EQ(boxOwner, owner);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

TEST_F(MsgBoxTest, AQuitRequestEndsTheBoxAndStaysQueued) {
  const int r = Drive([] { return Show("x", 4); }, [](const BoxView&) { PostQuitMessage(7); });
  EXPECT_EQ(r, msgbox::kNone);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MsgBoxTest, AnswersQueryCancelAutoPlay) {
  SetAutoPlaySuppression(true);
  LRESULT answer = 0;
  Drive([] { return Show("x", 0); },
        [&](const BoxView& v) {
          answer = SendMessageA(v.box, GetAutoPlayMessage(), 0, 0);
          Key(VK_ESCAPE);
        });
  SetAutoPlaySuppression(false);
  EXPECT_EQ(answer, 1);
}

TEST_F(MsgBoxTest, FrontEnds) {
  const struct {
    const char* what;
    std::function<int()> show;
    WPARAM key;
    std::string caption;
    int want;
  } cases[] = {
      {"AskYesNo Y", [] { return int(AskYesNo(1, "q", "", 0, 0, "")); }, 'Y', "Confirm", 1},
      {"AskYesNo Escape", [] { return int(AskYesNo(1, "q", "", 0, 0, "")); }, VK_ESCAPE, "Confirm", 0},
      {"AskOkCancel Enter", [] { return int(AskOkCancel(1, "q", "", 0, "")); }, VK_RETURN, "Confirm", 1},
      {"AskOkCancel C", [] { return int(AskOkCancel(1, "q", "Sure?", 0, "")); }, 'C', "Sure?", 0},
      {"ShowError", [] { ShowError(1, "e", "", 0, ""); return 0; }, VK_RETURN, "Error", 0},
      {"ShowWarning", [] { ShowWarning(1, "w", "", 0, 0, ""); return 0; }, VK_RETURN, "Attention", 0},
  };
  for (const auto& c : cases) {
    std::string caption;
    const int r = Drive(c.show, [&](const BoxView& v) {
      caption = TextOf(v.box);
      Key(c.key);
    });
    EXPECT_EQ(r, c.want) << c.what;
    EXPECT_EQ(caption, c.caption) << c.what;
  }
}

}  // namespace
