// Shows the stub's user interface on demand, for end-to-end tests that drive
// it with the UI robot.
//
//   ui_demo.exe box|yesno|okcancel|error|warning [options]
//     Shows one message box (MsgBox, AskYesNo, AskOkCancel, ShowError,
//     ShowWarning) and exits with its result: the button id for "box", 1 or 0
//     for the questions, 0 for the notices.
//       --mode N          owner or mode (default 0)
//       --text T          the text, with mark-up (default "Text")
//       --title T         the title (default: none, so the front ends choose)
//       --timeout MS      time-out (default 0: none)
//       --flags N         flags for "box" (default 0)
//       --charset N       character set of the text (default 0)
//       --captions L      button captions (default: the built-in ones)
//       --font NAME --size N --fontcharset N   the box font (SetMsgBoxFont)
//       --richedit NAME   the rich-edit library to load instead of RICHED32.DLL
//   ui_demo.exe window [--label T] [--charset N] [--hold MS] [--class NAME]
//     Shows the stub window (class "UiDemo.StubWindow"), sets the label, runs
//     the global progress reporter over 11 steps from 1 to 6, holds there for
//     --hold ms (default 3000) with the window open, steps on to 11 and
//     closes the window. Exits 0.
//
// Exit code 255: bad command line.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "env/text.h"
#include "stub/window.h"
#include "ui/msgbox.h"
#include "ui/progress.h"

namespace {

struct Args {
  std::string command;
  uintptr_t mode = 0;
  std::string text = "Text", title, captions, label = "Extracting Files...", cls = "UiDemo.StubWindow";
  int timeoutMs = 0, charset = 0, hold = 3000;
  uint32_t flags = 0;
  std::string font = "Tahoma", richedit;
  int size = 8, fontCharset = 1;
};

bool Number(const char* s, long long* out) {
  char* end = nullptr;
  *out = strtoll(s, &end, 0);
  return end && !*end;
}

bool Parse(int argc, char** argv, Args* a) {
  if (argc < 2) return false;
  a->command = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string k = argv[i];
    const char* v = argv[i + 1];
    long long n = 0;
    const bool isNumber = Number(v, &n);
    if (k == "--text") a->text = v;
    else if (k == "--title") a->title = v;
    else if (k == "--captions") a->captions = v;
    else if (k == "--label") a->label = v;
    else if (k == "--class") a->cls = v;
    else if (k == "--font") a->font = v;
    else if (k == "--richedit") a->richedit = v;
    else if (!isNumber) return false;
    else if (k == "--mode") a->mode = uintptr_t(n);
    else if (k == "--timeout") a->timeoutMs = int(n);
    else if (k == "--flags") a->flags = uint32_t(n);
    else if (k == "--charset") a->charset = int(n);
    else if (k == "--hold") a->hold = int(n);
    else if (k == "--size") a->size = int(n);
    else if (k == "--fontcharset") a->fontCharset = int(n);
    else return false;
  }
  return (argc % 2) == 0;
}

int ShowWindowDemo(const Args& a) {
  HWND window = reinterpret_cast<HWND>(CreateStubWindow(a.cls));
  if (!window) return 1;
  // The demo drives the window itself: without this its first tick would run
  // the start routine.
  KillTimer(window, 1);
  ShowWindow(window, SW_SHOW);
  SetLabel(a.label, "Tahoma", a.charset, 8);
  TProgBar& progress = GlobalProgressReporter();
  progress.Start(1, 11);
  for (int i = 0; i < 5; ++i) {
    WaitYielding(0, 150);
    progress.Step("");
  }
  WaitYielding(0, a.hold);
  for (int i = 0; i < 5; ++i) {
    WaitYielding(0, 100);
    progress.Step("");
  }
  DestroyWindow(window);
  RunStubMessageLoop();
  EndStubWindow();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Args a;
  if (!Parse(__argc, __argv, &a)) return 255;
  if (a.command == "window") return ShowWindowDemo(a);
  if (!a.richedit.empty()) SetRichEditLibraryName(a.richedit);
  SetMsgBoxFont(a.font, a.size, a.fontCharset);
  if (a.command == "box") return MsgBox(a.mode, a.text, a.title, a.timeoutMs, a.flags, a.charset, a.captions);
  if (a.command == "yesno") return AskYesNo(a.mode, a.text, a.title, a.timeoutMs, a.charset, a.captions);
  if (a.command == "okcancel") return AskOkCancel(a.mode, a.text, a.title, a.charset, a.captions);
  if (a.command == "error") {
    ShowError(a.mode, a.text, a.title, a.charset, a.captions);
    return 0;
  }
  if (a.command == "warning") {
    ShowWarning(a.mode, a.text, a.title, a.timeoutMs, a.charset, a.captions);
    return 0;
  }
  return 255;
}
