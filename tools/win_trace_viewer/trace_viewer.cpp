// A debug viewer for tests: owns the top-level window of class ".VDebug.",
// and appends the text of every chunk it is sent, in arrival order and
// unchanged, to a capture file.
//
//   trace_viewer.exe CAPTURE [READY [STOP]]
//
// READY (default CAPTURE.ready) is created once the window exists, so a test
// knows when trace output starts to reach it. The viewer ends on WM_CLOSE or
// when STOP (default CAPTURE.stop) appears.
//
// Exit codes: 0 ended normally, 2 bad command line, 3 another viewer is
// already running in this Wine prefix (it would steal the chunks), 4 the
// capture file or the window could not be made.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/trace_win32.h"

namespace {

constexpr UINT_PTR kStopTimer = 1;
constexpr UINT kStopPollMs = 50;

HANDLE g_capture = INVALID_HANDLE_VALUE;
UINT g_debugMessage = 0;
std::string g_stopFile;

LRESULT CALLBACK ViewerProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == g_debugMessage && g_debugMessage != 0) {
    // Read while the writer waits in its send: the atom is deleted after.
    char text[256];
    UINT n = GlobalGetAtomNameA(ATOM(lp), text, sizeof text);
    DWORD written = 0;
    if (n > 0) WriteFile(g_capture, text, n, &written, nullptr);
    return 0;
  }
  switch (msg) {
    case WM_TIMER:
      if (wp == kStopTimer && GetFileAttributesA(g_stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

bool CreateMarker(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  CloseHandle(f);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 2 || __argc > 4) return 2;
  const std::string capture = __argv[1];
  const std::string ready = __argc > 2 ? __argv[2] : capture + ".ready";
  g_stopFile = __argc > 3 ? __argv[3] : capture + ".stop";

  if (FindWindowA(kDebugViewerClass, nullptr)) return 3;

  g_debugMessage = RegisterWindowMessageA(kDebugMessageName);
  g_capture = CreateFileA(capture.c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_capture == INVALID_HANDLE_VALUE || g_debugMessage == 0) return 4;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = instance;
  wc.lpszClassName = kDebugViewerClass;
  if (!RegisterClassA(&wc)) return 4;
  HWND window = CreateWindowA(kDebugViewerClass, "Trace viewer", WS_OVERLAPPEDWINDOW, 0, 0,
                              320, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 4;
  SetTimer(window, kStopTimer, kStopPollMs, nullptr);
  if (!CreateMarker(ready)) {
    DestroyWindow(window);
    return 4;
  }

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  CloseHandle(g_capture);
  return 0;
}
