// TProgBar: how a long operation (a download, an extraction) reports its
// progress without knowing which controls show it. Every event goes to a sink
// procedure, with the thread's pending window messages dispatched just before
// and just after, so the windows stay responsive during the operation.
#pragma once

#include <cstdint>
#include <string>

// The sink receives (operation, reserved, maximum, position, step, text):
// operation 0 sets up a range, 1 is one step; reserved is always 0.
using ProgressSink = void (*)(void* context, int operation, int reserved, int64_t maximum,
                              int64_t position, int64_t step, const std::string& text);
// Dispatches pending window messages, then waits `ms` while dispatching more
// (0: dispatch once). Windows builds pump the thread's queue; native builds
// have none.
using ProgressPump = void (*)(int64_t ms);
void PlatformProgressPump(int64_t ms);

class TProgBar {
 public:
  // A reporter without a sink drops its events but still pumps.
  explicit TProgBar(ProgressSink sink = nullptr, void* context = nullptr,
                    ProgressPump pump = PlatformProgressPump);
  // Sends a final Finish(0, 0).
  ~TProgBar();
  TProgBar(const TProgBar&) = delete;
  TProgBar& operator=(const TProgBar&) = delete;

  // (0, 0, maximum, position, 1, "").
  void Start(int64_t position, int64_t maximum);
  // (1, 0, 0, 0, 0, text).
  void Step(const std::string& text);
  // Waits `waitBeforeMs`, sends (0, 0, 0, 0, 1, "") (the bars go back to an
  // empty range), then waits `waitAfterMs`; both waits pump.
  void Finish(int64_t waitBeforeMs, int64_t waitAfterMs);

 private:
  void Send(int operation, int64_t maximum, int64_t position, int64_t step,
            const std::string& text);

  ProgressSink sink_;
  void* context_;
  ProgressPump pump_;
};

// The process-wide reporter whose sink is the stub window's progress callback;
// made on the first call and kept until the process ends. Windows builds only.
TProgBar& GlobalProgressReporter();
