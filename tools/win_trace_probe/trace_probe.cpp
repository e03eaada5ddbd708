// A tiny program for harness tests: writes lines through the trace device,
// then waits and ends with a chosen exit code.
//
//   trace_probe.exe EXIT_CODE SLEEP_MS [LINE...]
//
// Each LINE is written as one trace line; a last line is the process id
// followed by " probe done in " and the current directory.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  TraceDeviceStart();
  const int exitCode = std::atoi(__argv[1]);
  const DWORD sleepMs = DWORD(std::strtoul(__argv[2], nullptr, 10));
  for (int i = 3; i < __argc; ++i) TraceLine(__argv[i]);
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  TracePidLine(std::string(" probe done in ") + cwd);
  Sleep(sleepMs);
  return exitCode;
}
