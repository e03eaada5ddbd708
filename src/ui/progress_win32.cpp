#include "env/text.h"
#include "stub/window.h"
#include "ui/progress.h"

void PlatformProgressPump(int64_t ms) { WaitYielding(0, ms); }

namespace {

void StubWindowSink(void*, int operation, int reserved, int64_t maximum, int64_t position,
                    int64_t step, const std::string& text) {
  StubProgress(operation, reserved, maximum, position, step, text);
}

}  // namespace

TProgBar& GlobalProgressReporter() {
  // Never destroyed: its destructor would send a finish event to a window
  // that is gone by the time static objects are torn down.
  static TProgBar* reporter = new TProgBar(StubWindowSink);
  return *reporter;
}
