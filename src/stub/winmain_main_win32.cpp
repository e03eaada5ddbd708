#include <windows.h>

#include "stub/entry.h"
#include "support/trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TraceDeviceStart();
  return int(RunEntry());
}
