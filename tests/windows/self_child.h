// Runs this test program again, as a fresh process that runs only the tests
// of a filter, for checks that need a process of their own (values kept per
// process, the thread locale at the first lookup).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace self_child {

using Environment = std::vector<std::pair<std::string, std::string>>;

inline std::string EnvText(const char* name) {
  char value[1024] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

inline std::string ReadWholeFile(const std::string& path) {
  std::string text;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0 && text.size() < (1u << 20))
    text.append(buf, n);
  CloseHandle(f);
  return text;
}

inline bool WriteWholeFile(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const BOOL ok = WriteFile(f, text.data(), DWORD(text.size()), &n, nullptr);
  CloseHandle(f);
  return ok && n == text.size();
}

// What a child said: its exit code (-1 when it could not start or did not end
// within a minute) and the text it reported (empty when it reported nothing,
// so a child that skipped cannot pass for one that answered).
struct Result {
  int exitCode = -1;
  std::string report;
};

// Starts `program` (this one when empty) with --gtest_filter=`filter`, the
// variables of `env` added to this process's environment and the child's
// report file named in SETUP_STUB_TEST_RESULT; its output goes to NUL.
inline Result Run(const std::string& filter, const Environment& env, const std::string& program = "") {
  static int runs = 0;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string reportFile = std::string(temp) + "child_report_" +
                                 std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(++runs) + ".txt";
  DeleteFileA(reportFile.c_str());
  const std::string exe = program.empty() ? std::string(self) : program;
  std::string commandLine = "\"" + exe + "\" --gtest_filter=" + filter;
  Environment all = env;
  all.push_back({"SETUP_STUB_TEST_RESULT", reportFile});
  std::vector<std::pair<std::string, std::string>> saved;
  for (const auto& v : all) {
    saved.emplace_back(v.first, EnvText(v.first.c_str()));
    SetEnvironmentVariableA(v.first.c_str(), v.second.c_str());
  }
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nul;
  si.hStdOutput = nul;
  si.hStdError = nul;
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  for (const auto& v : saved)
    SetEnvironmentVariableA(v.first.c_str(), v.second.empty() ? nullptr : v.second.c_str());
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  Result result;
  if (!started) return result;
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  result.exitCode = int(code);
  result.report = ReadWholeFile(reportFile);
  DeleteFileA(reportFile.c_str());
  return result;
}

// In a child: what its parent passed in SETUP_STUB_TEST_CHILD ("" when this
// process is no child).
inline std::string ChildArgument() { return EnvText("SETUP_STUB_TEST_CHILD"); }

// In a child: writes the report its parent reads.
inline bool Report(const std::string& text) {
  return WriteWholeFile(EnvText("SETUP_STUB_TEST_RESULT"), text);
}

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + tag + "_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = fd.cFileName;
        if (name != "." && name != ".." && !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileA((path_ + "\\" + name).c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace self_child
