#include "stub/window_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace stubwin {
namespace {

void ExpectRect(const Rect& r, int x, int y, int w, int h, const char* what) {
  EXPECT_EQ(r.x, x) << what;
  EXPECT_EQ(r.y, y) << what;
  EXPECT_EQ(r.width, w) << what;
  EXPECT_EQ(r.height, h) << what;
}

TEST(StubWindowLayout, ControlsChangeSidesForRightToLeft) {
  const Placement ltr = ControlPlacement(false);
  ExpectRect(ltr.label, 70, 20, 340, 18, "label");
  ExpectRect(ltr.mainBar, 70, 38, 392, 13, "main bar");
  ExpectRect(ltr.activityBar, 416, 20, 46, 13, "activity bar");
  const Placement rtl = ControlPlacement(true);
  ExpectRect(rtl.label, 122, 20, 340, 18, "label rtl");
  ExpectRect(rtl.mainBar, 70, 38, 392, 13, "main bar rtl");
  ExpectRect(rtl.activityBar, 70, 20, 46, 13, "activity bar rtl");
}

TEST(StubWindowLayout, ProgressEvents) {
  int counter = 0;
  BarCommand c = ProgressEvent(0, 11, 1, 1, &counter);
  EXPECT_EQ(c.kind, BarCommand::kSetUp);
  EXPECT_EQ(c.mainMaximum, 11);
  EXPECT_EQ(c.mainPosition, 1);
  EXPECT_EQ(c.mainStep, 1);
  EXPECT_EQ(c.activityPosition, 0);

  // The activity bar runs 1..5, then back to 0.
  const int positions[] = {1, 2, 3, 4, 5, 0, 1};
  for (int want : positions) {
    c = ProgressEvent(1, 0, 0, 0, &counter);
    EXPECT_EQ(c.kind, BarCommand::kStep);
    EXPECT_EQ(c.activityPosition, want);
    EXPECT_EQ(counter, want);
  }

  EXPECT_EQ(ProgressEvent(0, 65535, 0, 1, &counter).mainMaximum, 65535);
  EXPECT_EQ(ProgressEvent(0, 65536, 0, 1, &counter).mainMaximum, 0);
  EXPECT_EQ(ProgressEvent(0, 70000, 0, 1, &counter).mainMaximum, 70000 - 65536);
  EXPECT_EQ(ProgressEvent(0, -1, 0, 1, &counter).mainMaximum, 65535);

  counter = 3;
  EXPECT_EQ(ProgressEvent(2, 10, 1, 1, &counter).kind, BarCommand::kNothing);
  EXPECT_EQ(ProgressEvent(-1, 10, 1, 1, &counter).kind, BarCommand::kNothing);
  EXPECT_EQ(counter, 3);
}

TEST(StubWindowLayout, ColourValues) {
  const Colour system = ReadColour(0x8000000F);
  EXPECT_TRUE(system.system);
  EXPECT_EQ(system.systemIndex, 15);
  EXPECT_EQ(ReadColour(0xFF000005).systemIndex, 5);  // only the low byte names it
  const Colour rgb = ReadColour(0x00984E00);
  EXPECT_FALSE(rgb.system);
  EXPECT_EQ(rgb.rgb, 0x00984E00u);
  EXPECT_FALSE(ReadColour(0x7FFFFFFF).system);
}

TEST(StubWindowLayout, InitialTimerCount) {
  const std::string module = "C:\\Tools\\X_Tool.exe";
  const struct {
    const char* commandLine;
    int64_t want;
  } cases[] = {
      {"\"C:\\Tools\\X_Tool.exe\"", -3},
      {"\"C:\\Tools\\X_Tool.exe\" /SleepX=0", 0},
      {"\"C:\\Tools\\X_Tool.exe\" /sleepx=7 /WAIT=10", -7},
      {"\"C:\\Tools\\X_Tool.exe\" /SleepX=-2", -3},
      {"\"C:\\Tools\\X_Tool.exe\" /SleepX=soon", -3},
      {"\"C:\\Tools\\X_Tool.exe\" /SleepX=", -3},
  };
  for (const auto& c : cases) EXPECT_EQ(InitialTimerCount(c.commandLine, module), c.want) << c.commandLine;
}

}  // namespace
}  // namespace stubwin
