// What the process-wide trace device needs from the platform; implemented
// once per platform (trace_win32.cpp, trace_posix.cpp). Internal to the
// trace device.
#pragma once

#include <cstddef>
#include <cstdint>

// Creates the lock and whatever the outlets need, once; later calls (from any
// thread) return at once. Called before every lock.
void TracePlatformStart();
// A recursive lock: a window procedure that runs during a delivery (while
// the sender waits for the viewer) may write trace lines itself.
void TracePlatformLock();
void TracePlatformUnlock();
// Hands one chunk to the platform's outlets. Never fails visibly.
void TracePlatformDeliver(const char* chunk, size_t size);
uint32_t TracePlatformProcessId();
