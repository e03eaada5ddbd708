// The harness itself: Wine runs, exit codes, time-outs, working folders and
// trace capture, with the trace probe and the trace viewer.
#include <gtest/gtest.h>

#include <chrono>

#include "e2e/harness.h"

namespace e2e {
namespace {

TEST(HarnessPaths, ConvertBetweenUnixAndWindows) {
  const struct {
    std::string posix, windows;
  } cases[] = {
      {"/", "Z:\\"},
      {"/tmp/a b/c.exe", "Z:\\tmp\\a b\\c.exe"},
      {"/tmp/dir", "Z:\\tmp\\dir"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToWindowsPath(c.posix), c.windows);
    EXPECT_EQ(ToUnixPath(c.windows), c.posix);
  }
  EXPECT_EQ(ToWindowsPath("/tmp/dir/"), "Z:\\tmp\\dir");
  EXPECT_EQ(ToUnixPath("z:\\x"), "/x");
  EXPECT_EQ(ToUnixPath("C:\\ProgramData\\_vdebug.txt"),
            WinePrefix() + "/drive_c/ProgramData/_vdebug.txt");
  EXPECT_EQ(ToUnixPath("D:\\x"), "");
  EXPECT_EQ(ToUnixPath("relative\\x"), "");
}

std::string Probe() { return Win64Dir() + "/trace_probe.exe"; }

TEST(HarnessWine, ViewerCapturesTheTraceOfAProgramInItsFolder) {
  const std::string dir = MakeScenarioDir();
  TraceViewer viewer(dir);
  ASSERT_TRUE(viewer.Ready());
  const std::string longLine(300, 'x');
  RunOptions options;
  options.workDir = dir;
  const RunResult run = RunWindowsProgram(Probe(), {"7", "0", "hello", longLine, ""}, 60000, options);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 7);
  const std::string done = " probe done in " + ToWindowsPath(dir) + "\r\n";
  ASSERT_TRUE(viewer.WaitFor(done, 5000)) << viewer.Text();
  const std::string text = viewer.Stop();
  EXPECT_EQ(viewer.ExitCode(), 0);
  const std::string lines = "hello\r\n" + longLine + "\r\n\r\n";
  ASSERT_EQ(text.substr(0, lines.size()), lines);
  const std::string pid = text.substr(lines.size(), text.size() - lines.size() - done.size());
  EXPECT_FALSE(pid.empty());
  EXPECT_EQ(pid.find_first_not_of("0123456789"), std::string::npos) << pid;
  EXPECT_EQ(text.substr(text.size() - done.size()), done);
}

TEST(HarnessWine, SecondViewerInThePrefixRefusesToStart) {
  const std::string dir = MakeScenarioDir();
  TraceViewer viewer(dir);
  ASSERT_TRUE(viewer.Ready());
  const RunResult second = RunWindowsProgram(Win64Dir() + "/trace_viewer.exe",
                                             {ToWindowsPath(dir + "/second.txt")}, 60000);
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_FALSE(FileExists(dir + "/second.txt.ready"));
}

TEST(HarnessWine, TimeOutKillsTheProgram) {
  const std::string dir = MakeScenarioDir();
  TraceViewer viewer(dir);
  ASSERT_TRUE(viewer.Ready());
  WineProcess probe(Probe(), {"0", "600000"});
  // Once it traced, it sleeps for ten minutes.
  ASSERT_TRUE(viewer.WaitFor(" probe done in ", 60000));
  const auto start = std::chrono::steady_clock::now();
  const RunResult run = probe.Wait(1000);
  EXPECT_TRUE(run.timedOut);
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(probe.Running());
  // The prefix still works after the kill.
  EXPECT_EQ(RunWindowsProgram(Probe(), {"5", "0"}, 60000).exitCode, 5);
}

}  // namespace
}  // namespace e2e
