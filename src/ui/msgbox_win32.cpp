#include <windows.h>
#include <richedit.h>

#include <vector>

#include "env/dll_search.h"
#include "env/registry.h"
#include "env/sysinfo.h"
#include "env/text.h"
#include "support/field_list.h"
#include "ui/msgbox.h"
#include "ui/rich_text.h"

namespace {

constexpr char kBoxClass[] = "VMsgBox";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr COLORREF kStripeColour = RGB(0, 78, 152);

struct FontSettings {
  std::string name = "Tahoma";
  int size = 8;
  int charset = 1;
};
FontSettings g_font;

std::string g_richEditName = "RICHED32.DLL";
HMODULE g_richEdit = nullptr;  // loaded by the first box, kept to the end
int g_boxesShown = 0;          // boxes on screen now (a box may open another)

// One box being shown. Lives on the stack of ShowRichMsgBox; the window
// reaches it through its user data.
struct Box {
  HFONT font = nullptr;
  HWND window = nullptr;
  HWND text = nullptr;
  bool richEdit = false;
  HWND buttons[3] = {};
  std::vector<std::string> captions;  // of the buttons shown, left to right
  int buttonCount = 0;
  HICON icon = nullptr;
  int timeoutMs = 0;
  HWND previousActive = nullptr;
  int result = msgbox::kNone;
  bool done = false;
  int askedWidth = 0, askedHeight = 0;
};

Box* BoxOf(HWND window) { return reinterpret_cast<Box*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

int ButtonIndex(const Box& b, HWND window) {
  for (int i = 0; i < b.buttonCount; ++i)
    if (window != nullptr && b.buttons[i] == window) return i;
  return -1;
}

int ButtonId(HWND button) { return int(GetWindowLongPtrA(button, GWLP_USERDATA)); }

void FocusButton(Box* b, int index) {
  if (index < 0 || index >= b->buttonCount) return;
  for (int i = 0; i < b->buttonCount; ++i)
    SendMessageA(b->buttons[i], BM_SETSTYLE, i == index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SetFocus(b->buttons[index]);
}

void Choose(Box* b, int index) {
  b->result = ButtonId(b->buttons[index]);
  SendMessageA(b->window, WM_CLOSE, 0, 0);
}

void Paint(Box* b, HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT c;
  GetClientRect(window, &c);
  const int cw = c.right, ch = c.bottom;
  auto fill = [dc](int left, int top, int right, int bottom, HBRUSH brush) {
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
  };
  fill(0, 0, cw, ch, GetSysColorBrush(COLOR_WINDOW));
  fill(0, ch - 37, cw, ch - 36, GetSysColorBrush(COLOR_3DDKSHADOW));
  fill(0, ch - 36, cw, ch - 35, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  fill(0, ch - 35, cw, ch, GetSysColorBrush(COLOR_BTNFACE));
  HBRUSH stripe = CreateSolidBrush(kStripeColour);
  fill(0, 0, msgbox::kStripeWidth, ch - 37, stripe);
  DeleteObject(stripe);
  if (b && b->icon) DrawIcon(dc, 11, 20, b->icon);
  EndPaint(window, &ps);
}

LRESULT CALLBACK BoxProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  Box* b = BoxOf(window);
  const UINT autoPlay = GetAutoPlayMessage();
  if (autoPlay != 0 && msg == autoPlay) return 1;  // no AutoPlay while a box is up
  if (!b) return DefWindowProcA(window, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
      if (b->timeoutMs > 0) SetTimer(window, kTimeoutTimer, UINT(b->timeoutMs), nullptr);
      return 0;
    case WM_TIMER:
      if (wp != kTimeoutTimer) break;
      b->result = b->buttonCount > 0 ? ButtonId(b->buttons[0]) : msgbox::kNone;
      SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_COMMAND: {
      const int i = ButtonIndex(*b, reinterpret_cast<HWND>(lp));
      if (i < 0 || HIWORD(wp) != BN_CLICKED) break;
      Choose(b, i);
      return 0;
    }
    case WM_NOTIFY: {
      const auto* n = reinterpret_cast<const NMHDR*>(lp);
      if (n->hwndFrom == b->text && n->code == EN_REQUESTRESIZE) {
        const RECT& r = reinterpret_cast<const REQRESIZE*>(lp)->rc;
        b->askedWidth = r.right - r.left;
        b->askedHeight = r.bottom - r.top;
      }
      return 0;
    }
    case WM_PAINT:
      Paint(b, window);
      return 0;
    case WM_CLOSE:
      // The owner is enabled before the box goes, so that the system hands
      // the activation back to it rather than to another program.
      if (b->previousActive) {
        EnableWindow(b->previousActive, TRUE);
        SetActiveWindow(b->previousActive);
        SetFocus(b->previousActive);
      }
      KillTimer(window, kTimeoutTimer);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      b->done = true;
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

// The keyboard of the box, seen before any window gets the message. True
// when the message was handled here and must not be dispatched.
bool FilterKey(Box* b, const MSG& m) {
  if (m.message == WM_SYSCHAR) {
    const int i = msgbox::AltKeyButton(b->captions, char(m.wParam));
    if (i < 0) return false;
    Choose(b, i);
    return true;
  }
  if (m.message != WM_KEYDOWN) return false;
  const int focused = ButtonIndex(*b, GetFocus());
  const int n = b->buttonCount;
  switch (m.wParam) {
    case VK_LEFT:
    case VK_UP:
      if (n > 0) FocusButton(b, msgbox::FocusIndex(focused < 0 ? n - 1 : focused - 1, n));
      return true;
    case VK_TAB:
    case VK_RIGHT:
    case VK_DOWN:
      if (n > 0) FocusButton(b, msgbox::FocusIndex(focused + 1, n));
      return true;
    case VK_RETURN:
      if (focused < 0) return false;
      Choose(b, focused);
      return true;
    case VK_ESCAPE:
      b->result = msgbox::kNone;
      SendMessageA(b->window, WM_CLOSE, 0, 0);
      return true;
  }
  if (m.wParam >= 'A' && m.wParam <= 'Z') {
    const int i = msgbox::LetterKeyButton(b->captions, char(m.wParam));
    if (i < 0) return false;
    Choose(b, i);
    return true;
  }
  return false;
}

AskedSize TryTextWidth(void* context, int width) {
  auto* b = static_cast<Box*>(context);
  RECT r;
  GetWindowRect(b->text, &r);
  SetWindowPos(b->text, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(b->text, EM_REQUESTRESIZE, 0, 0);
  return {b->askedWidth, b->askedHeight};
}

// Puts the text into the control and sizes the control to it.
void FillText(Box* b, const std::string& text, bool rightAligned) {
  const RichText rich = LayoutRichText(text);
  SetWindowTextA(b->text, rich.plain.c_str());
  if (b->richEdit) {
    for (const BoldRun& run : rich.bold) {
      SendMessageA(b->text, EM_SETSEL, run.start, run.end);
      CHARFORMATA cf = {};
      cf.cbSize = sizeof cf;
      cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
      cf.dwEffects = CFE_BOLD;
      SendMessageA(b->text, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
    if (rightAligned) {
      // The style alone leaves the paragraphs of a rich-edit control as they
      // were created; set the alignment of the whole text explicitly.
      SendMessageA(b->text, EM_SETSEL, 0, -1);
      PARAFORMAT pf = {};
      pf.cbSize = sizeof pf;
      pf.dwMask = PFM_ALIGNMENT;
      pf.wAlignment = PFA_RIGHT;
      SendMessageA(b->text, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    }
    SendMessageA(b->text, EM_SETSEL, 0, 0);
  }

  // Measured with the normal face: bold runs are fitted below.
  HDC dc = GetDC(b->text);
  HGDIOBJ old = SelectObject(dc, b->font);
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  const int lineHeight = LineHeight(tm.tmHeight, tm.tmExternalLeading, g_font.name);
  std::vector<int> extents;
  for (const std::string& line : SplitLines(rich.plain)) {
    SIZE s = {};
    GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &s);
    extents.push_back(s.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(b->text, dc);
  const TextSize size = MeasureLines(extents, lineHeight);
  SetWindowPos(b->text, nullptr, 0, 0, size.width + 10, size.height, SWP_NOMOVE | SWP_NOZORDER);
  if (b->richEdit && !rich.bold.empty()) FitBoldWidth(size.width, size.height, TryTextWidth, b);
}

void PlaceBox(Box* b, const std::string& text) {
  RECT r;
  GetWindowRect(b->text, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const msgbox::Frame frame = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
                               GetSystemMetrics(SM_CYCAPTION)};
  const msgbox::Rect size = msgbox::BoxSize(w, h, frame);
  int left = 0, top = 0;
  CenterInWorkArea(size.width, size.height, &left, &top);
  // A developer's own question is moved aside, off the window it asks about.
  if (text.find("Do you want to store the new Entry in") != std::string::npos && IsDeveloperMode()) {
    left += 150;
    top += 150;
  }
  SetWindowPos(b->window, nullptr, left, top, size.width, size.height, SWP_NOZORDER);
  ShowWindow(b->window, SW_SHOW);
  RECT c;
  GetClientRect(b->window, &c);
  const msgbox::Rect t = msgbox::TextPlacement(c.right, c.bottom, w, h);
  MoveWindow(b->text, t.x, t.y, t.width, t.height, TRUE);
}

void MakeButtons(Box* b, uint32_t flags, const std::string& captions) {
  const std::vector<msgbox::ButtonSpec> specs = msgbox::ButtonSet(flags);
  RECT c;
  GetClientRect(b->window, &c);
  const std::vector<msgbox::Rect> rects = msgbox::ButtonPlacement(c.right, c.bottom, int(specs.size()));
  b->buttonCount = int(specs.size());
  b->captions.assign(specs.size(), std::string());
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  for (int i = b->buttonCount - 1; i >= 0; --i) {  // right to left
    const std::string caption = SUB::GetField(captions, specs[size_t(i)].captionField);
    const msgbox::Rect& r = rects[size_t(i)];
    HWND button = CreateWindowA("BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                r.x, r.y, r.width, r.height, b->window,
                                reinterpret_cast<HMENU>(INT_PTR(specs[size_t(i)].id)), instance, nullptr);
    SetWindowLongPtrA(button, GWLP_USERDATA, specs[size_t(i)].id);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(b->font), TRUE);
    b->buttons[i] = button;
    b->captions[size_t(i)] = caption;
  }
  FocusButton(b, msgbox::FocusIndex(int((flags & msgbox::kFocusMask) >> 8), b->buttonCount));
}

HICON LoadBoxIcon(uint32_t flags) {
  const int id = msgbox::IconId(flags);
  if (id != 0) return LoadIconA(nullptr, MAKEINTRESOURCEA(id));
  return LoadIconA(GetModuleHandleA(nullptr), "MainIcon");
}

bool RegisterBoxClass() {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = BoxProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kBoxClass;
  return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void SetMsgBoxFont(const std::string& name, int size, int charset) {
  g_font.name = name;
  if (size != 0) g_font.size = size;
  g_font.charset = charset;
}

void SetRichEditLibraryName(const std::string& name) { g_richEditName = name; }

int ShowRichMsgBox(uintptr_t owner, const std::string& text, const std::string& title, int timeoutMs,
                   uint32_t flags, const std::string& captions) {
  if (!g_richEdit) g_richEdit = static_cast<HMODULE>(LoadSystemLibrary(g_richEditName));
  Box b;
  b.timeoutMs = timeoutMs;
  b.previousActive = GetActiveWindow();
  if (b.previousActive) EnableWindow(b.previousActive, FALSE);
  b.font = CreateFontA(-PointsToPixels(g_font.size), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       BYTE(g_font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, FF_SWISS, g_font.name.c_str());
  // Held for the call as well, so the control's code stays while it exists.
  HMODULE callLoad = static_cast<HMODULE>(LoadSystemLibrary(g_richEditName));
  ++g_boxesShown;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (RegisterBoxClass()) {
    b.window = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kBoxClass, title.c_str(),
                               WS_VISIBLE | WS_CAPTION | WS_SYSMENU, -100, -100, 10, 10,
                               reinterpret_cast<HWND>(owner), nullptr, instance, &b);
  }
  bool quit = false;
  WPARAM quitCode = 0;
  if (b.window) {
    if (flags & msgbox::kNoClose)
      EnableMenuItem(GetSystemMenu(b.window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    const bool rightAligned = flags & msgbox::kRightAligned;
    const DWORD style = WS_CHILD | WS_VISIBLE | ES_READONLY | ES_MULTILINE | (rightAligned ? ES_RIGHT : 0);
    const DWORD exStyle = (flags & msgbox::kRightToLeft) ? WS_EX_RTLREADING : 0;
    if (g_richEdit) {
      b.text = CreateWindowExA(exStyle, "RICHEDIT", "", style, 86, 30, 100, 13, b.window, nullptr,
                               instance, nullptr);
      b.richEdit = b.text != nullptr;
    }
    // Without the rich-edit library the text still shows, without bold runs.
    if (!b.text)
      b.text = CreateWindowExA(exStyle, "EDIT", "", style, 86, 30, 100, 13, b.window, nullptr,
                               instance, nullptr);
    if (b.richEdit) {
      SendMessageA(b.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
      SendMessageA(b.text, EM_SETBKGNDCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOW)));
    }
    SendMessageA(b.text, WM_SETFONT, reinterpret_cast<WPARAM>(b.font), TRUE);
    FillText(&b, text, rightAligned);
    PlaceBox(&b, text);
    b.icon = LoadBoxIcon(flags);
    MakeButtons(&b, flags, msgbox::CaptionsOrDefault(captions));
    InvalidateRect(b.window, nullptr, TRUE);

    while (!b.done) {
      MSG msg;
      const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        // A quit request ends the box without a choice and goes on to the
        // loop that waits for it.
        quit = true;
        quitCode = msg.wParam;
        b.result = msgbox::kNone;
        SendMessageA(b.window, WM_CLOSE, 0, 0);
        continue;
      }
      if (FilterKey(&b, msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!b.done && IsWindow(b.window)) {
      SetWindowLongPtrA(b.window, GWLP_USERDATA, 0);
      DestroyWindow(b.window);
    }
  } else if (b.previousActive) {
    EnableWindow(b.previousActive, TRUE);
  }
  if (--g_boxesShown == 0) UnregisterClassA(kBoxClass, instance);
  if (b.font) DeleteObject(b.font);
  if (callLoad) FreeLibrary(callLoad);
  if (quit) PostQuitMessage(int(quitCode));
  return b.result;
}

int MsgBox(uintptr_t ownerOrMode, const std::string& text, const std::string& title, int timeoutMs,
           uint32_t flags, int charset, const std::string& captions) {
  const msgbox::BoxRequest request = msgbox::ComposeMsgBox(ownerOrMode, text, title, flags, charset);
  const uintptr_t owner =
      ownerOrMode > msgbox::kLastMode ? ownerOrMode : reinterpret_cast<uintptr_t>(GetActiveWindow());
  const int result = ShowRichMsgBox(owner, request.text, title, timeoutMs, request.flags, captions);
  WaitYielding(0, 100);
  return result;
}

void ShowError(uintptr_t ownerOrMode, const std::string& text, const std::string& title, int charset,
               const std::string& captions) {
  MsgBox(ownerOrMode, text, msgbox::TitleOrDefault(title, 0), 0, 0x10, charset,
         msgbox::CaptionsOrDefault(captions));
}

void ShowWarning(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                 int timeoutMs, int charset, const std::string& captions) {
  MsgBox(ownerOrMode, text, msgbox::TitleOrDefault(title, 1), timeoutMs, 0x30, charset,
         msgbox::CaptionsOrDefault(captions));
}

bool AskYesNo(uintptr_t ownerOrMode, const std::string& text, const std::string& title, int timeoutMs,
              int charset, const std::string& captions) {
  return MsgBox(ownerOrMode, text, msgbox::TitleOrDefault(title, 2), timeoutMs, 0x24, charset,
                msgbox::CaptionsOrDefault(captions)) == msgbox::kYes;
}

bool AskOkCancel(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                 int charset, const std::string& captions) {
  return MsgBox(ownerOrMode, text, msgbox::TitleOrDefault(title, 2), 0, 0x21, charset,
                msgbox::CaptionsOrDefault(captions)) == msgbox::kOk;
}
