#include <windows.h>
#include <commctrl.h>

#include "agent/agent_state.h"
#include "agent/control_codes.h"
#include "agent/settings_win32.h"
#include "env/switches.h"
#include "env/sysinfo.h"
#include "env/text.h"
#include "net/download_abort.h"
#include "package/file_info.h"
#include "package/languages.h"
#include "setup/work_folder.h"
#include "stub/roles.h"
#include "stub/window.h"
#include "stub/window_layout.h"
#include "support/log.h"
#include "support/trace.h"
#include "ui/msgbox.h"

namespace {

struct Window {
  HWND main = nullptr;
  HWND label = nullptr;
  HWND mainBar = nullptr;
  HWND activityBar = nullptr;
  HFONT labelFont = nullptr;
  HICON icon = nullptr;
  int activityCounter = 0;
  bool quit = false;
  bool agentMode = false;
};
Window g_window;

template <typename T>
uintptr_t Handle(T h) {
  return reinterpret_cast<uintptr_t>(h);
}

void ReplaceLabelFont(HFONT font) {
  SendMessageA(g_window.label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (g_window.labelFont) DeleteObject(g_window.labelFont);
  g_window.labelFont = font;
}

HFONT MakeFont(int height, int charset, const std::string& face) {
  return CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, BYTE(charset),
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

HWND MakeChild(HWND parent, const char* cls, DWORD style, const stubwin::Rect& r) {
  return CreateWindowExA(0, cls, "", WS_CHILD | style, r.x, r.y, r.width, r.height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void OnCreate(HWND window) {
  g_window.main = window;
  const bool rtl = msgbox::IsRightToLeftCharset(Charset(RunningPackage()));
  const stubwin::Placement p = stubwin::ControlPlacement(rtl);
  g_window.label = MakeChild(window, "Static", WS_VISIBLE, p.label);
  g_window.mainBar = MakeChild(window, PROGRESS_CLASSA, WS_VISIBLE, p.mainBar);
  g_window.activityBar = MakeChild(window, PROGRESS_CLASSA, 0, p.activityBar);
  SetTimer(window, stubwin::kTimerId, stubwin::kTimerMs, nullptr);
  ReplaceLabelFont(MakeFont(-11, ANSI_CHARSET, "Tahoma"));
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT c;
  GetClientRect(window, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
  if (g_window.icon) DrawIcon(dc, stubwin::kIconX, stubwin::kIconY, g_window.icon);
  EndPaint(window, &ps);
}

// The first close request only stops a running download; the window goes
// with the second.
bool OnClose() {
  WriteLog(".. CloseMainWindow() - Start");
  const bool alreadyAborted = DownloadAborted();
  if (!alreadyAborted) SetDownloadAbort(true);
  WriteLog(".. CloseMainWindow() - End");
  return alreadyAborted;
}

void Destruction() {
  WriteLog(".. DestroyMainWindow() - Start");
  SetDownloadAbort(true);
  DeleteWorkFolder();
  PostQuitMessage(0);
  g_window.quit = true;
  WriteLog(".. DestroyMainWindow() - End");
}

LRESULT CALLBACK StubWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  const UINT autoPlay = GetAutoPlayMessage();
  if (autoPlay != 0 && msg == autoPlay) return 1;
  switch (msg) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      if (!OnClose()) return 0;
      break;
    case WM_DESTROY:
      TraceLine("- wm_Destroy -");
      Destruction();
      break;
    case WM_QUIT:
      TraceLine("- wm_Quit -");
      Destruction();
      break;
    case WM_TIMER:
      if (wp != stubwin::kTimerId) break;
      if (g_window.agentMode) {
        TimerTick();
      } else {
        RunStartRoutine();
      }
      break;
    case agent::kShutDownMessage:
      agent::SetLifeCountdown(int32_t(wp));
      break;
    case agent::kLocalMessage:
      SetWatcher(uintptr_t(wp), uint32_t(lp));
      NotifyWatcher(50, intptr_t(Handle(window)));
      NotifyWatcher(51, agent::kAgentMessage);
      break;
    case agent::kAgentMessage: {
      agent::AgentSettings settings = agent::RunningAgentSettings();
      return LRESULT(agent::HandleControlCode(uint32_t(wp), int32_t(lp), &settings));
    }
  }
  return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

uintptr_t CreateStubWindow(const std::string& className) {
  g_window = Window();
  const TGFileInfo& package = RunningPackage();
  g_window.agentMode = package.ThisIs_AutoUpdateProg();
  agent::SetTimerCount(stubwin::InitialTimerCount(ProcessCommandLine(), ProcessModulePath()));

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  g_window.icon = LoadIconA(instance, "MainIcon");
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = StubWindowProc;
  wc.hInstance = instance;
  wc.hIcon = g_window.icon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.lpszClassName = className.c_str();
  RegisterClassA(&wc);

  int left = 0, top = 0;
  CenterInWorkArea(stubwin::kWidth, stubwin::kHeight, &left, &top);
  HWND window = CreateWindowExA(0, className.c_str(), StubText(package, "s0").c_str(), stubwin::kStyle,
                                left, top, stubwin::kWidth, stubwin::kHeight, nullptr, nullptr, instance,
                                nullptr);
  SetMsgBoxFont(FontName(package), FontSize(package), Charset(package));
  if (window) ShowWindow(window, SW_HIDE);
  return Handle(window);
}

void RunStubMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (g_window.quit) break;
  }
}

void EndStubWindow() {
  if (g_window.main) KillTimer(g_window.main, stubwin::kTimerId);
  SetDownloadAbort(true);
  UnloadWinINet();
  NotifyWatcher(43, 0);
}

void RunStubWindow(const std::string& windowClassName) {
  TracePidLine(" RunStubWindow() --- Start");
  if (CreateStubWindow(windowClassName)) RunStubMessageLoop();
  EndStubWindow();
  TracePidLine(" RunStubWindow() --- End");
}

uintptr_t StubMainWindow() { return IsWindow(g_window.main) ? Handle(g_window.main) : 0; }
uintptr_t StubLabel() { return StubMainWindow() ? Handle(g_window.label) : 0; }
uintptr_t StubMainBar() { return StubMainWindow() ? Handle(g_window.mainBar) : 0; }
uintptr_t StubActivityBar() { return StubMainWindow() ? Handle(g_window.activityBar) : 0; }
bool StubQuitFlag() { return g_window.quit; }

void SetLabel(const std::string& text, const std::string& fontName, int charset, int pointSize) {
  HWND label = g_window.label;
  if (!IsWindow(label)) return;
  const bool rtl = msgbox::IsRightToLeftCharset(charset);
  SetWindowLongPtrA(label, GWL_EXSTYLE, rtl ? WS_EX_RTLREADING : 0);
  LONG_PTR style = GetWindowLongPtrA(label, GWL_STYLE) & ~LONG_PTR(SS_TYPEMASK);
  SetWindowLongPtrA(label, GWL_STYLE, style | (rtl ? SS_RIGHT : SS_LEFT));
  ReplaceLabelFont(MakeFont(-PointsToPixels(pointSize), charset, fontName));
  SetWindowTextA(label, text.c_str());
}

void StubProgress(int operation, int reserved, int64_t maximum, int64_t position, int64_t step,
                  const std::string& text) {
  const stubwin::BarCommand c =
      stubwin::ProgressEvent(operation, maximum, position, step, &g_window.activityCounter);
  HWND main = g_window.mainBar, activity = g_window.activityBar;
  switch (c.kind) {
    case stubwin::BarCommand::kSetUp:
      SendMessageA(main, PBM_SETRANGE, 0, MAKELPARAM(0, c.mainMaximum));
      SendMessageA(main, PBM_SETPOS, WPARAM(c.mainPosition), 0);
      SendMessageA(main, PBM_SETSTEP, WPARAM(c.mainStep), 0);
      SendMessageA(activity, PBM_SETRANGE, 0, MAKELPARAM(0, stubwin::kActivityMaximum));
      SendMessageA(activity, PBM_SETPOS, 0, 0);
      SendMessageA(activity, PBM_SETSTEP, 1, 0);
      break;
    case stubwin::BarCommand::kStep:
      SendMessageA(main, PBM_STEPIT, 0, 0);
      SendMessageA(activity, PBM_SETPOS, WPARAM(c.activityPosition), 0);
      break;
    case stubwin::BarCommand::kNothing:
      break;
  }
}

uint32_t ColourValue(uint32_t value) {
  const stubwin::Colour c = stubwin::ReadColour(value);
  return c.system ? uint32_t(GetSysColor(c.systemIndex)) : c.rgb;
}
