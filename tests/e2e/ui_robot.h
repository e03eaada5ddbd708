// The UI robot (tools/win_ui_robot) from end-to-end tests: answer the boxes a
// scenario expects, read what they show, take screenshots, and make sure a
// box nobody expected fails the scenario instead of hanging it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {

// What the robot reported of a window ("key=value" lines, texts unescaped).
class WindowReport {
 public:
  WindowReport() = default;
  explicit WindowReport(const std::string& text);
  bool empty() const { return fields_.empty(); }
  std::string Get(const std::string& key) const;
  int Int(const std::string& key, int index = 0) const;  // index: of a "a,b,c" value
  std::string caption() const { return Get("caption"); }
  std::string text() const { return Get("text"); }
  // Button captions, left to right.
  std::vector<std::string> Buttons() const;

 private:
  std::map<std::string, std::string> fields_;
};

struct RobotAction {
  std::string windowClass = "VMsgBox";
  std::string key;    // "Y", "ESCAPE", "ALT+n", ...
  std::string press;  // a button caption
  bool close = false;
  int delayMs = 0;
  bool screenshot = false;  // taken before the answer
  int waitMs = 30000;
  int goneMs = 10000;       // 0: do not wait for the window to go
};

// One robot run in the background, started before the program it watches.
class Robot {
 public:
  // `name` names its files in `dir` (report, screenshot, Wine log).
  Robot(const std::string& dir, const std::string& name, const RobotAction& action);
  // Waits for the robot; true when it found the window and answered it.
  bool Finish(int timeoutMs = 60000);
  int exitCode() const { return exitCode_; }
  // Waits until the robot has found its window and reported it (before any
  // delay and answer).
  bool WaitSeen(int timeoutMs);
  WindowReport Report() const;
  // The screenshot as a PNG under BuildRoot()/screenshots; "" when none.
  std::string SavePng(const std::string& pngName) const;

 private:
  std::string dir_, name_;
  std::unique_ptr<WineProcess> process_;
  bool ready_ = false;
  int exitCode_ = -1;
};

// Watches for message boxes during a scenario that expects none: every box
// that appears is reported and closed; the destructor fails the test for
// each one.
class UnexpectedBoxGuard {
 public:
  explicit UnexpectedBoxGuard(const std::string& dir);
  ~UnexpectedBoxGuard();
  // Ends the watch; the reports of the boxes it closed.
  std::vector<WindowReport> Stop();

 private:
  std::string watchFile_, stopFile_;
  std::unique_ptr<WineProcess> process_;
  bool stopped_ = false;
  std::vector<WindowReport> seen_;
};

std::string ScreenshotDir();

}  // namespace e2e
