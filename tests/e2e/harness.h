// End-to-end harness: runs the Windows builds under Wine from native tests.
//
// Programs run through scripts/wine-run.sh (the build's own Wine prefix, see
// scripts/wine-env.sh). Windows need an X display: when DISPLAY is unset the
// harness starts its own Xvfb for the whole test program and ends it by its
// process id.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// Folders of this build.
std::string SourceDir();
std::string BuildRoot();
std::string Win64Dir();  // the Windows programs run here: x86_64 builds
std::string Win32Dir();  // the shipped i686 builds (not runnable on our kernels)
std::string NativeDir();
// The Wine prefix the programs run in ($WINEPREFIX, else BuildRoot()/wineprefix).
std::string WinePrefix();

// "/a/b" -> "Z:\a\b" (relative paths are taken from the current directory).
std::string ToWindowsPath(const std::string& unixPath);
// "Z:\a\b" -> "/a/b"; "C:\x" -> WinePrefix()/drive_c/x; any other drive or a
// path without one -> "".
std::string ToUnixPath(const std::string& windowsPath);

// A fresh, empty folder BuildRoot()/e2e-scenarios/<name> (default: the
// current test's "Suite.Test"). Left in place afterwards for inspection.
std::string MakeScenarioDir(const std::string& name = std::string());

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

struct RunOptions {
  std::string workDir;     // the program's current directory; default: as the caller's
  std::string outputFile;  // Wine's stdout and stderr; default: discarded
};

struct RunResult {
  int exitCode = -1;  // the program's exit code, low 8 bits; -1 when killed or not started
  bool timedOut = false;
};

// One Windows program under Wine. The destructor kills it if it still runs.
class WineProcess {
 public:
  // `exe` is a Unix path; `args` are passed to the program as given.
  WineProcess(const std::string& exe, const std::vector<std::string>& args,
              const RunOptions& options = RunOptions());
  ~WineProcess();
  WineProcess(const WineProcess&) = delete;
  WineProcess& operator=(const WineProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running();
  // Waits up to timeoutMs for the program to end; on timeout kills it (with
  // everything it started in its process group) and says so.
  RunResult Wait(int timeoutMs);
  void Kill();

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

// Starts the program, waits for it, kills it after timeoutMs.
RunResult RunWindowsProgram(const std::string& exe, const std::vector<std::string>& args,
                            int timeoutMs, const RunOptions& options = RunOptions());

// trace_viewer.exe, capturing every trace chunk sent in the Wine prefix into
// <folder>/trace.txt. Only one viewer can run per prefix.
class TraceViewer {
 public:
  // Starts the viewer and waits (up to readyTimeoutMs) until its window exists.
  explicit TraceViewer(const std::string& folder, int readyTimeoutMs = 60000);
  ~TraceViewer();
  TraceViewer(const TraceViewer&) = delete;
  TraceViewer& operator=(const TraceViewer&) = delete;

  bool Ready() const { return ready_; }
  // The text captured so far.
  std::string Text() const;
  // Waits until the captured text contains `needle`.
  bool WaitFor(const std::string& needle, int timeoutMs) const;
  // Ends the viewer and returns everything it captured. Idempotent.
  std::string Stop();
  // The viewer's exit code once stopped (0 for a clean end).
  int ExitCode() const { return exitCode_; }

 private:
  std::string capture_, ready_file_, stop_file_;
  WineProcess process_;
  bool ready_ = false;
  bool stopped_ = false;
  int exitCode_ = -1;
};

}  // namespace e2e
