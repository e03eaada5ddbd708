// The stub window's rules that need no window: where its controls stand, how
// the progress events move its two bars, how a colour value is read, and how
// the agent's tick counter starts. window_win32.cpp applies them.
#pragma once

#include <cstdint>
#include <string>

namespace stubwin {

constexpr int kWidth = 492;
constexpr int kHeight = 110;
constexpr uint32_t kStyle = 0x02C80000;  // caption, system menu, clip children
constexpr unsigned kTimerId = 1;
constexpr unsigned kTimerMs = 1000;
constexpr int kIconX = 18, kIconY = 20;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};
struct Placement {
  Rect label, mainBar, activityBar;
};
// The label and the activity bar change sides for right-to-left character
// sets (177, 178); the main bar stays.
Placement ControlPlacement(bool rightToLeft);

// ---- Progress ----

// What the progress callback does to the bars: operation 0 sets the main bar
// to the range 0..maximum (cut to its low 16 bits: the bar takes 16-bit
// ranges) with position and step, and resets the activity bar (range 0..5,
// position 0, step 1); operation 1 steps the main bar and moves the activity
// bar one position on, back to 0 after 5. Other operations do nothing.
struct BarCommand {
  enum Kind { kNothing, kSetUp, kStep } kind = kNothing;
  // kSetUp: the main bar's range, position and step.
  int mainMaximum = 0;
  int mainPosition = 0;
  int mainStep = 0;
  // The activity bar's position (kSetUp: 0; kStep: the new counter).
  int activityPosition = 0;
};
constexpr int kActivityMaximum = 5;
BarCommand ProgressEvent(int operation, int64_t maximum, int64_t position, int64_t step,
                         int* activityCounter);

// ---- Values ----

// A colour value: with the top bit set, a system colour index in its low
// byte; otherwise an RGB value (0x00BBGGRR).
struct Colour {
  bool system = false;
  int systemIndex = 0;
  uint32_t rgb = 0;
};
Colour ReadColour(uint32_t value);

// The start of AutoUpdateTimerCount: minus the "/SleepX=" switch when it is 0
// or more, otherwise -3.
int64_t InitialTimerCount(const std::string& commandLine, const std::string& modulePath);

}  // namespace stubwin
