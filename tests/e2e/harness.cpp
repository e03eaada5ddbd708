#include "e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace e2e {
namespace {

std::string Canonical(const char* path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(path, ec);
  return ec ? std::string(path) : p.string();
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

using Clock = std::chrono::steady_clock;
bool Before(Clock::time_point deadline) { return Clock::now() < deadline; }
Clock::time_point After(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

// Xvfb for test runs without a display; one for the whole test program.
class DisplayEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
             "1024x768x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it chose, then a line end.
    std::string number;
    pollfd pfd = {fds[0], POLLIN, 0};
    auto deadline = After(15000);
    while (Before(deadline) && poll(&pfd, 1, 200) >= 0) {
      if (!(pfd.revents & (POLLIN | POLLHUP))) continue;
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) {
      ADD_FAILURE() << "Xvfb did not report a display";
      return;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
  }
  void TearDown() override {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

::testing::Environment* const g_display =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

}  // namespace

std::string SourceDir() { return Canonical(SOURCE_DIR); }
std::string BuildRoot() { return Canonical(BUILD_ROOT); }
std::string Win64Dir() { return Canonical(WIN64_DIR); }
std::string Win32Dir() { return Canonical(WIN32_DIR); }
std::string NativeDir() { return Canonical(NATIVE_DIR); }

std::string WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) return prefix;
  return BuildRoot() + "/wineprefix";
}

std::string ToWindowsPath(const std::string& unixPath) {
  std::string path = fs::absolute(unixPath).lexically_normal().string();
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

std::string ToUnixPath(const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::string();
  std::string rest = windowsPath.substr(2);
  for (char& c : rest)
    if (c == '\\') c = '/';
  if (rest.empty()) rest = "/";
  switch (windowsPath[0]) {
    case 'Z':
    case 'z':
      return rest;
    case 'C':
    case 'c':
      return WinePrefix() + "/drive_c" + (rest == "/" ? std::string() : rest);
  }
  return std::string();
}

std::string MakeScenarioDir(const std::string& name) {
  std::string leaf = name;
  if (leaf.empty()) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    leaf = test ? std::string(test->test_suite_name()) + "." + test->name() : "scenario";
  }
  for (char& c : leaf)
    if (c == '/' || c == '\\') c = '_';
  const fs::path dir = fs::path(BuildRoot()) / "e2e-scenarios" / leaf;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir, ec);
  return dir.string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return bool(out);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

WineProcess::WineProcess(const std::string& exe, const std::vector<std::string>& args,
                         const RunOptions& options) {
  const std::string runner = SourceDir() + "/scripts/wine-run.sh";
  std::vector<std::string> argv = {runner, exe};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string buildRoot = BuildRoot();
  pid_ = fork();
  if (pid_ > 0) setpgid(pid_, pid_);  // also here: a kill may come first
  if (pid_ != 0) return;
  // Child: its own process group, so a timeout ends whatever it started.
  setpgid(0, 0);
  if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
  int out = options.outputFile.empty()
                ? open("/dev/null", O_WRONLY)
                : open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
  }
  int in = open("/dev/null", O_RDONLY);
  if (in >= 0) dup2(in, 0);
  setenv("BUILD_ROOT", buildRoot.c_str(), 0);
  std::vector<char*> cargs;
  for (std::string& a : argv) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  execv(runner.c_str(), cargs.data());
  _exit(127);
}

WineProcess::~WineProcess() { Kill(); }

bool WineProcess::Running() {
  if (pid_ <= 0 || reaped_) return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

RunResult WineProcess::Wait(int timeoutMs) {
  RunResult result;
  if (pid_ <= 0) return result;
  const auto deadline = After(timeoutMs);
  while (Running() && Before(deadline)) SleepMs(20);
  if (Running()) {
    result.timedOut = true;
    Kill();
    return result;
  }
  if (WIFEXITED(status_)) result.exitCode = WEXITSTATUS(status_);
  return result;
}

void WineProcess::Kill() {
  if (!Running()) return;
  kill(-pid_, SIGKILL);
  kill(pid_, SIGKILL);
  waitpid(pid_, &status_, 0);
  reaped_ = true;
}

RunResult RunWindowsProgram(const std::string& exe, const std::vector<std::string>& args,
                            int timeoutMs, const RunOptions& options) {
  WineProcess process(exe, args, options);
  return process.Wait(timeoutMs);
}

TraceViewer::TraceViewer(const std::string& folder, int readyTimeoutMs)
    : capture_(folder + "/trace.txt"),
      ready_file_(capture_ + ".ready"),
      stop_file_(capture_ + ".stop"),
      process_(Win64Dir() + "/trace_viewer.exe", {ToWindowsPath(capture_)},
               RunOptions{folder, folder + "/trace_viewer.wine.log"}) {
  const auto deadline = After(readyTimeoutMs);
  while (!FileExists(ready_file_) && process_.Running() && Before(deadline)) SleepMs(50);
  ready_ = FileExists(ready_file_) && process_.Running();
}

TraceViewer::~TraceViewer() { Stop(); }

std::string TraceViewer::Text() const { return ReadFile(capture_); }

bool TraceViewer::WaitFor(const std::string& needle, int timeoutMs) const {
  const auto deadline = After(timeoutMs);
  while (Text().find(needle) == std::string::npos) {
    if (!Before(deadline)) return false;
    SleepMs(50);
  }
  return true;
}

std::string TraceViewer::Stop() {
  if (!stopped_) {
    stopped_ = true;
    WriteFile(stop_file_, "");
    exitCode_ = process_.Wait(15000).exitCode;
  }
  return Text();
}

}  // namespace e2e
