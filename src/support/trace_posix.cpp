// Native builds have no debug viewer: chunks are dropped unless a sink is set
// (SetTraceChunkSink), as they are on Windows when no viewer runs.
#include <unistd.h>

#include <mutex>

#include "support/trace.h"
#include "support/trace_platform.h"

namespace {
std::once_flag g_startOnce;
std::recursive_mutex* g_lock = nullptr;
}  // namespace

void TracePlatformStart() {
  // Never destroyed: trace lines may be written from static destructors.
  std::call_once(g_startOnce, [] { g_lock = new std::recursive_mutex; });
}
void TracePlatformLock() { g_lock->lock(); }
void TracePlatformUnlock() { g_lock->unlock(); }
void TracePlatformDeliver(const char*, size_t) {}
uint32_t TracePlatformProcessId() { return uint32_t(getpid()); }

int ScreenPixelsPerInch() { return 96; }
