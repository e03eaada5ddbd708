#include "stub/window_layout.h"

#include "env/switches.h"

namespace stubwin {

Placement ControlPlacement(bool rightToLeft) {
  Placement p;
  p.label = {rightToLeft ? 122 : 70, 20, 340, 18};
  p.mainBar = {70, 38, 392, 13};
  p.activityBar = {rightToLeft ? 70 : 416, 20, 46, 13};
  return p;
}

BarCommand ProgressEvent(int operation, int64_t maximum, int64_t position, int64_t step,
                         int* activityCounter) {
  BarCommand c;
  if (operation == 0) {
    c.kind = BarCommand::kSetUp;
    c.mainMaximum = int(uint64_t(maximum) & 0xFFFF);
    c.mainPosition = int(position);
    c.mainStep = int(step);
    c.activityPosition = 0;
  } else if (operation == 1) {
    c.kind = BarCommand::kStep;
    int next = *activityCounter + 1;
    if (next > kActivityMaximum) next = 0;
    *activityCounter = next;
    c.activityPosition = next;
  }
  return c;
}

Colour ReadColour(uint32_t value) {
  Colour c;
  if (value & 0x80000000u) {
    c.system = true;
    c.systemIndex = int(value & 0xFF);
  } else {
    c.rgb = value;
  }
  return c;
}

int64_t InitialTimerCount(const std::string& commandLine, const std::string& modulePath) {
  const int64_t sleep = GetSwitchNumber(commandLine, modulePath, "/SleepX=", -1);
  return sleep >= 0 ? -sleep : -3;
}

}  // namespace stubwin
