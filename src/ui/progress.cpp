#include "ui/progress.h"

TProgBar::TProgBar(ProgressSink sink, void* context, ProgressPump pump)
    : sink_(sink), context_(context), pump_(pump) {}

TProgBar::~TProgBar() { Finish(0, 0); }

void TProgBar::Start(int64_t position, int64_t maximum) { Send(0, maximum, position, 1, std::string()); }

void TProgBar::Step(const std::string& text) { Send(1, 0, 0, 0, text); }

void TProgBar::Finish(int64_t waitBeforeMs, int64_t waitAfterMs) {
  if (waitBeforeMs > 0 && pump_) pump_(waitBeforeMs);
  Send(0, 0, 0, 1, std::string());
  if (waitAfterMs > 0 && pump_) pump_(waitAfterMs);
}

void TProgBar::Send(int operation, int64_t maximum, int64_t position, int64_t step,
                    const std::string& text) {
  if (pump_) pump_(0);
  if (sink_) sink_(context_, operation, 0, maximum, position, step, text);
  if (pump_) pump_(0);
}
