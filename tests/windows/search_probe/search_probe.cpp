// A library that reports where it was loaded from. The DLL search test
// places copies of it beside the test program and in the system folder.
#include <windows.h>

namespace {
HMODULE g_self = nullptr;
char g_path[MAX_PATH + 1];
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) const char* ProbeModulePath() {
  const DWORD n = GetModuleFileNameA(g_self, g_path, MAX_PATH);
  g_path[n <= MAX_PATH ? n : 0] = 0;
  return g_path;
}
