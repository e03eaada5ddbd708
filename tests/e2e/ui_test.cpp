// The message box and the stub window under Wine, answered by the UI robot
// from another process as a user would: keys, Alt + letter, a button, the
// time-out; with screenshots of what the user sees.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/ui_robot.h"
#include "package/strings_block.h"
#include "unit/package_fixture.h"

namespace e2e {
namespace {

std::string Demo() { return Win64Dir() + "/ui_demo.exe"; }

struct DemoRun {
  int exitCode = -1;
  int64_t ms = 0;
};

// Runs ui_demo.exe with `args` while `robot` (already started) waits for its
// window, then lets the robot finish.
DemoRun RunDemo(const std::string& dir, const std::vector<std::string>& args, Robot* robot) {
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = RunWindowsProgram(Demo(), args, 60000, RunOptions{dir, dir + "/demo.wine.log"});
  DemoRun run;
  run.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(r.timedOut) << "the demo did not end";
  run.exitCode = r.exitCode;
  if (robot) EXPECT_TRUE(robot->Finish()) << "robot exit code " << robot->exitCode();
  return run;
}

constexpr unsigned kEsRight = 0x2, kWsExRtlReading = 0x2000;

unsigned HexField(const WindowReport& r, const std::string& key) {
  return unsigned(std::stoul(r.Get(key).empty() ? "0" : r.Get(key), nullptr, 16));
}

TEST(MsgBoxE2E, AskYesNoAnsweredByKeysAndButtons) {
  const struct {
    const char* name;
    const char* key;
    const char* press;
    int want;
  } cases[] = {
      {"Y", "Y", "", 1},
      {"N", "N", "", 0},
      {"Escape", "ESCAPE", "", 0},
      {"Alt-y", "ALT+y", "", 1},
      {"Alt-n", "ALT+n", "", 0},
      {"button-No", "", "No", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = MakeScenarioDir(std::string("MsgBoxE2E.AskYesNo.") + c.name);
    RobotAction action;
    action.key = c.key;
    action.press = c.press;
    Robot robot(dir, "robot", action);
    const DemoRun run = RunDemo(dir, {"yesno", "--mode", "1", "--text", "Continue with Setup?"}, &robot);
    EXPECT_EQ(run.exitCode, c.want);
    const WindowReport box = robot.Report();
    EXPECT_EQ(box.caption(), "Confirm");
    EXPECT_EQ(box.text(), "Continue with Setup?");
    EXPECT_EQ(box.Buttons(), (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(box.Int("focus"), 0);
    EXPECT_GE(box.Int("window", 2), 360);
  }
}

TEST(MsgBoxE2E, AskYesNoTimesOutWithYes) {
  const std::string dir = MakeScenarioDir();
  RobotAction look;  // only looks: nobody answers
  Robot robot(dir, "robot", look);
  const DemoRun run = RunDemo(dir, {"yesno", "--mode", "1", "--timeout", "5000", "--text", "Probe now?"}, &robot);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_GE(run.ms, 5000);
  EXPECT_EQ(robot.Report().text(), "Probe now?");  // the box was up and unanswered
}

TEST(MsgBoxE2E, AskOkCancelEnterChoosesTheFocusedButton) {
  {
    const std::string dir = MakeScenarioDir("MsgBoxE2E.AskOkCancel.Enter");
    RobotAction enter;
    enter.key = "ENTER";
    Robot robot(dir, "robot", enter);
    EXPECT_EQ(RunDemo(dir, {"okcancel", "--mode", "1", "--text", "Insert disk 2"}, &robot).exitCode, 1);
    EXPECT_EQ(robot.Report().Buttons(), (std::vector<std::string>{"&OK", "&Cancel"}));
  }
  {
    // Tab moves the focus to Cancel; then Enter chooses it.
    const std::string dir = MakeScenarioDir("MsgBoxE2E.AskOkCancel.TabEnter");
    RobotAction tab;
    tab.key = "TAB";
    tab.goneMs = 0;
    Robot first(dir, "tab", tab);
    RobotAction enter;
    enter.key = "ENTER";
    std::unique_ptr<Robot> second;
    const auto start = std::chrono::steady_clock::now();
    WineProcess demo(Demo(), {"okcancel", "--mode", "1", "--text", "Insert disk 2"}, RunOptions{dir, dir + "/demo.wine.log"});
    EXPECT_TRUE(first.Finish());
    second.reset(new Robot(dir, "enter", enter));
    EXPECT_TRUE(second->Finish());
    const RunResult r = demo.Wait(60000 - int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now() - start).count()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(second->Report().Int("focus"), 1);
  }
}

TEST(MsgBoxE2E, ErrorBoxWithBoldHeading) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.key = "ENTER";
  action.screenshot = true;
  Robot robot(dir, "robot", action);
  EXPECT_EQ(RunDemo(dir, {"error", "--mode", "0", "--text", "The setup file is damaged.<P>Please download it again."},
                    &robot).exitCode,
            0);
  const WindowReport box = robot.Report();
  EXPECT_EQ(box.caption(), "Error");
  EXPECT_EQ(box.text(), "ERROR\r\n\r\nThe setup file is damaged.\r\nPlease download it again.\r\n");
  EXPECT_EQ(box.Get("text.class"), "RICHEDIT");
  EXPECT_EQ(box.Buttons(), std::vector<std::string>{"&OK"});
  EXPECT_FALSE(robot.SavePng("error-box.png").empty());
}

TEST(MsgBoxE2E, YesNoQuestionScreenshot) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.key = "N";
  action.screenshot = true;
  Robot robot(dir, "robot", action);
  EXPECT_EQ(RunDemo(dir,
                    {"yesno", "--mode", "0", "--title", "Confirm", "--text",
                     "Limited Free Space on your Temp Drive! (C:)<P><P>Estimated space required on your Temp "
                     "drive is: <T>  <b>12.50</b> MB<P><P>Continue with Setup?"},
                    &robot)
                .exitCode,
            0);
  EXPECT_EQ(robot.Report().caption(), "Confirm");
  EXPECT_FALSE(robot.SavePng("yes-no-question.png").empty());
}

TEST(MsgBoxE2E, RightToLeftBoxForCharset177) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.key = "ESCAPE";
  action.screenshot = true;
  Robot robot(dir, "robot", action);
  EXPECT_EQ(RunDemo(dir, {"box", "--mode", "1", "--charset", "177", "--flags", "0x40", "--title", "Attention",
                          "--text", "Right to left: this text stands at the right.<P>A second line."},
                    &robot)
                .exitCode,
            0);
  const WindowReport box = robot.Report();
  EXPECT_TRUE(HexField(box, "text.exstyle") & kWsExRtlReading) << box.Get("text.exstyle");
  EXPECT_TRUE(HexField(box, "text.style") & kEsRight) << box.Get("text.style");
  EXPECT_FALSE(robot.SavePng("right-to-left-box.png").empty());
}

TEST(MsgBoxE2E, ALineLongerThan600Pixels) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.key = "ENTER";
  action.screenshot = true;
  Robot robot(dir, "robot", action);
  const std::string longLine =
      "This line is far longer than six hundred pixels, so the text control stops at 610 pixels and the "
      "line wraps inside it, counted as several lines when the box measures its height.";
  EXPECT_EQ(RunDemo(dir, {"box", "--mode", "1", "--title", "Long line", "--text", longLine + "<P>Short line."},
                    &robot)
                .exitCode,
            1);
  const WindowReport box = robot.Report();
  EXPECT_EQ(box.Int("text.rect", 2), 610);
  EXPECT_GE(box.Int("text.rect", 3), 3 * 13);  // at least two lines for the long one, one more
  EXPECT_FALSE(robot.SavePng("long-line-box.png").empty());
}

TEST(MsgBoxE2E, WithoutTheRichEditLibraryTheTextStillShows) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.key = "ENTER";
  Robot robot(dir, "robot", action);
  EXPECT_EQ(RunDemo(dir, {"box", "--mode", "1", "--richedit", "NO_SUCH_RICHED.DLL", "--text", "A <b>bold</b> word"},
                    &robot)
                .exitCode,
            1);
  const WindowReport box = robot.Report();
  EXPECT_EQ(box.Get("text.class"), "Edit");
  EXPECT_EQ(box.text(), "A bold word");
}

TEST(StubWindowE2E, ProgressRunScreenshot) {
  const std::string dir = MakeScenarioDir();
  RobotAction action;
  action.windowClass = "UiDemo.StubWindow";
  action.delayMs = 1500;  // the bar stands at 6 of 11 then
  action.screenshot = true;
  Robot robot(dir, "robot", action);
  EXPECT_EQ(RunDemo(dir, {"window", "--hold", "4000"}, &robot).exitCode, 0);
  const WindowReport window = robot.Report();
  EXPECT_EQ(window.Get("visible"), "1");
  EXPECT_EQ(window.Int("window", 2), 492);
  EXPECT_EQ(window.Int("window", 3), 110);
  EXPECT_EQ(window.text(), "Extracting Files...");  // the label
  EXPECT_EQ(window.Get("text.rect"), "70,20,340,18");
  EXPECT_FALSE(robot.SavePng("stub-window-progress.png").empty());
}

// A locale of the C library for Wine to read the user's language from;
// generated once per build from the system's locale sources.
std::string LocaleFolder(const std::string& locale) {
  const std::string folder = BuildRoot() + "/locales";
  if (!FileExists(folder + "/" + locale)) {
    const std::string name = locale.substr(0, locale.find('.'));
    const std::string command =
        "mkdir -p '" + folder + "' && localedef -i " + name + " -f UTF-8 '" + folder + "/" + locale + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "localedef " << locale << " (the locales package?)";
  }
  return folder;
}

TEST(StubWindowE2E, TitleFromTheSectionOfTheUsersLanguage) {
  std::vector<strings_block::Section> sections = {
      {"Turkish", {{"Charset", "162"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", "Kurulum Sihirbazi"}}},
      {"English", {{"Charset", "0"}, {"FontSize", "8"}, {"FontName", "Tahoma"}, {"s0", "Setup Wizard"}}},
  };
  std::string block, error;
  ASSERT_TRUE(strings_block::Compose(sections, &block, &error)) << error;
  const struct {
    const char* locale;
    const char* title;
  } cases[] = {{"tr_TR.UTF-8", "Kurulum Sihirbazi"}, {"de_DE.UTF-8", "Setup Wizard"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    const std::string dir = MakeScenarioDir(std::string("StubWindowE2E.Title.") + c.locale);
    FixtureBlocks f;
    f.blocks[0] = block;
    const std::string exe = dir + "/setup.exe";
    ASSERT_TRUE(WriteFile(exe, MakeSetupOn(ReadFile(Win64Dir() + "/stub.exe"), f)));
    const std::string locales = LocaleFolder(c.locale);

    // The window lives until the first tick of its timer: the robot waits
    // for it before the stub starts.
    RobotAction look;
    look.windowClass = ToWindowsPath(exe);
    Robot robot(dir, "robot", look);
    setenv("LOCPATH", locales.c_str(), 1);
    setenv("LC_ALL", c.locale, 1);
    WineProcess stub(exe, {}, RunOptions{dir, dir + "/stub.wine.log"});
    unsetenv("LC_ALL");
    unsetenv("LOCPATH");
    EXPECT_TRUE(robot.Finish()) << "robot exit code " << robot.exitCode();
    EXPECT_FALSE(stub.Wait(60000).timedOut);
    const WindowReport window = robot.Report();
    EXPECT_EQ(window.caption(), c.title);
    EXPECT_EQ(window.Get("visible"), "0");  // created hidden
  }
}

TEST(UiRobotE2E, AnUnexpectedBoxIsClosedAndReported) {
  const std::string dir = MakeScenarioDir();
  UnexpectedBoxGuard guard(dir);
  const DemoRun run = RunDemo(dir, {"yesno", "--mode", "1", "--text", "Nobody expects this"}, nullptr);
  EXPECT_EQ(run.exitCode, 0);  // closed without a choice
  const std::vector<WindowReport> boxes = guard.Stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text(), "Nobody expects this");
}

}  // namespace
}  // namespace e2e
