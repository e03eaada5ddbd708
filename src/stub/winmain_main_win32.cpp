#include <windows.h>

#include "env/dll_search.h"
#include "env/sysinfo.h"
#include "stub/entry.h"
#include "support/trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name (the setup file's folder is
  // usually a downloads folder anyone can drop a DLL into).
  RestrictDllSearchToSystem();
  TraceDeviceStart();
  LoadStartupLibraries();
  return int(RunEntry());
}
