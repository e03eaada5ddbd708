#include <windows.h>
#include <shellapi.h>

#include "env/dll_search.h"
#include "env/text.h"

LocalTime LocalNow() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  return t;
}

namespace {

std::string LocaleText(LCTYPE what, const char* fallback) {
  char buf[16] = {};
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buf, sizeof buf);
  return n > 1 ? std::string(buf, size_t(n - 1)) : std::string(fallback);
}

UINT g_autoPlayMessage = 0;

}  // namespace

std::string SystemDateSeparator() { return LocaleText(LOCALE_SDATE, "/"); }
std::string SystemTimeSeparator() { return LocaleText(LOCALE_STIME, ":"); }

void YieldX(uint32_t ms) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // A quit request belongs to the message loop: a pause that swallowed it
      // would leave the loop waiting for ever. Leave it for the loop to find.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Sleep(ms);
}

int64_t GetTickMs() {
  static const double factor = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? 1000.0 / double(f.QuadPart) : 0.0;
  }();
  if (factor == 0.0) return int64_t(GetTickCount());
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return int64_t(double(c.QuadPart) * factor);
}

void WaitYielding(int64_t step, int64_t duration) {
  RunWait(
      step, duration, [](void*) { return GetTickMs(); },
      [](void*, uint32_t ms) { YieldX(ms); }, nullptr);
}

bool OpenWithShell(const std::string& file, const std::string& parameters, int show) {
  const HINSTANCE r = ShellExecuteA(GetDesktopWindow(), nullptr, file.c_str(),
                                    parameters.empty() ? nullptr : parameters.c_str(), nullptr, show);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

void* LoadProc(const std::string& library, const std::string& entry) {
  const HMODULE h = static_cast<HMODULE>(LoadSystemLibrary(library));
  if (reinterpret_cast<UINT_PTR>(h) < 33) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(h, entry.c_str()));
}

void SetAutoPlaySuppression(bool on) {
  g_autoPlayMessage = on ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
}

unsigned GetAutoPlayMessage() { return g_autoPlayMessage; }
