#include "support/trace_win32.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "support/trace.h"
#include "support/trace_platform.h"

#ifndef DEBUG_OUTPUT_MODE
#define DEBUG_OUTPUT_MODE 0
#endif
static_assert(DEBUG_OUTPUT_MODE >= 0 && DEBUG_OUTPUT_MODE <= 255,
              "the debug output mode is an 8-bit setting");

namespace {

INIT_ONCE g_startOnce = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION g_lock;
UINT g_debugMessageId = 0;

BOOL CALLBACK StartOnce(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&g_lock);
  g_debugMessageId = RegisterWindowMessageA(kDebugMessageName);
  return TRUE;
}

// Nothing stays open between chunks, so an editor can read the file at any
// time.
void AppendToTraceFile(const char* path, const std::string& text) {
  if (text.empty()) return;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER zero = {};
  if (SetFilePointerEx(file, zero, nullptr, FILE_END)) {
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  }
  CloseHandle(file);
}

void SendToViewer(const char* text) {
  HWND viewer = FindWindowA(kDebugViewerClass, nullptr);
  if (!viewer) return;
  ATOM atom = GlobalAddAtomA(text);
  if (!atom) return;
  // Synchronous: the atom must live until the viewer has read it.
  SendMessageA(viewer, g_debugMessageId, WPARAM(kDebugChannel), LPARAM(atom));
  GlobalDeleteAtom(atom);
}

}  // namespace

uint8_t BuildDebugOutputMode() { return uint8_t(DEBUG_OUTPUT_MODE); }

unsigned DebugMessageId() {
  TracePlatformStart();
  return g_debugMessageId;
}

void DispatchTraceChunk(const char* chunk, size_t size, uint8_t mode, const char* traceFile) {
  TracePlatformStart();
  // The chunk travels as a zero-terminated text (an atom name), at most one
  // buffer long.
  char text[TraceWriter::kBufferSize + 1];
  if (size > TraceWriter::kBufferSize) size = TraceWriter::kBufferSize;
  std::memcpy(text, chunk, size);
  text[size] = '\0';
  if (text[0] == '\0') return;
  if (mode == 1 || mode == 2) AppendToTraceFile(traceFile, NormaliseLineEnds(text));
  if (mode == 0 || mode == 2) SendToViewer(text);
}

void TracePlatformStart() { InitOnceExecuteOnce(&g_startOnce, StartOnce, nullptr, nullptr); }
void TracePlatformLock() { EnterCriticalSection(&g_lock); }
void TracePlatformUnlock() { LeaveCriticalSection(&g_lock); }

void TracePlatformDeliver(const char* chunk, size_t size) {
  DispatchTraceChunk(chunk, size, BuildDebugOutputMode(), kTraceFilePath);
}

uint32_t TracePlatformProcessId() { return GetCurrentProcessId(); }

int ScreenPixelsPerInch() {
  static int kept = 0;
  if (kept == 0) {
    HDC screen = GetDC(nullptr);
    if (screen) {
      kept = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
  }
  return kept;
}
