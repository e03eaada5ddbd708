#include <windows.h>

#include "env/files.h"
#include "env/text.h"
#include "support/log.h"

namespace {

uintptr_t g_watcherWindow = 0;
uint32_t g_watcherMessage = 0;

}  // namespace

std::string LogFileName() {
  static std::string name;
  if (name.empty()) {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    name = LogFileNameFor(std::string(path, n));
  }
  return name;
}

void WriteLog(const std::string& message) {
  if (!LogEnabled()) return;
  std::string file = LogFileName();
  if (file.empty()) return;
  const std::string line =
      ComposeLogLine(FormatLogTime(LocalNow()), GetCurrentThreadId(), LogPrefix(), message);
  AppendText(file, line, 0);
}

void SetWatcher(uintptr_t window, uint32_t messageId) {
  g_watcherWindow = window;
  g_watcherMessage = messageId;
}

void NotifyWatcher(uint32_t code, intptr_t value) {
  // PostMessage to a null window would post to this thread's own queue.
  if (g_watcherWindow == 0 || g_watcherMessage == 0) return;
  PostMessageA(reinterpret_cast<HWND>(g_watcherWindow), g_watcherMessage, WPARAM(code),
               LPARAM(value));
}
