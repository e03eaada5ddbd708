// A stand-in for the setup engine (packaged as Engine.exe) for end-to-end
// tests: it records how the stub started it, plays the engine's part of the
// hand-over (the completion atom, a dialog that outlives the process, the
// exit code) and stays running as long as a test wants.
//
// Behaviour, driven by environment variables (unset or empty = default):
//   ENGINE_DOUBLE_REPORT=<windows path>
//       report file; default "engine_report.txt" beside the double's own exe.
//       The stub may remove its work folder once the engine ended, so tests
//       usually point this outside it.
//   ENGINE_DOUBLE_KEEP_ATOM=1
//       leave the completion atom alone (default: delete it when found).
//   ENGINE_DOUBLE_EXIT=<n>
//       exit code, decimal (default 0; -2147483648..4294967295, e.g. 259).
//   ENGINE_DOUBLE_RUN_MS=<n>
//       keep running n ms (messages pumped) before finishing.
//   ENGINE_DOUBLE_WAIT_FOR=<windows path>
//       keep running until that file exists (checked every 100 ms, given up
//       after 60 s). A first report with state=waiting is written before the
//       wait, so a test can see the engine is up and what files it found.
//   ENGINE_DOUBLE_DIALOG_MS=<n>
//       the engine's dialog outlives it: a copy of the double is started as
//       "engine_double.exe --dialog-holder <tag> <n>" and owns a hidden
//       top-level window of class ".SDialog_Class_Name." + tag for n ms, then
//       destroys it, creates "<report path>.dialog_gone" (empty) and exits 0.
//       The double exits only once that window exists.
// Millisecond values are 0..600000.
//
// Order of events: trace " ENGINE_DOUBLE start <cmdline>"; look the atom up;
// [report with state=waiting, then wait for the file]; [run n ms]; delete the
// atom; [start the dialog holder and wait up to 10 s for its window]; report
// with state=done; trace " ENGINE_DOUBLE exit <code>"; exit.
//
// The completion atom is "DxibLxkzjmTpcrVlzhaVtFwogas" + tag, where the tag is
// the value of the /TH_ID= switch on the command line (the text after
// "/TH_ID=" up to the next blank, e.g. "_1234").
//
// The report is "key=value" lines ending in CR LF, replaced as a whole (written
// to "<report path>.tmp" and moved over), so a reader never sees half of it:
//   state=waiting|done
//   pid=<process id, decimal>
//   cmdline=<GetCommandLineA>
//   exe=<own full path>
//   cwd=<current folder>
//   tag=<value of /TH_ID=, empty if none>
//   atom_found=1|0        the atom existed when the double started
//   atom_deleted=1|0      the double deleted it (0 in the waiting report)
//   show=<flag>,<value>   STARTF_USESHOWWINDOW set (1|0), wShowWindow; e.g.
//                         "1,0" for SW_HIDE
//   wait_result=found|timeout      only with ENGINE_DOUBLE_WAIT_FOR, when done
//   dialog=1|0            only with ENGINE_DOUBLE_DIALOG_MS: the window appeared
//   file=<name>|<size>|<dos date-time>
//                         one per file (not folder) beside the exe, names
//                         sorted byte-wise; the date-time is the last write
//                         time in local time, packed (date << 16 | time),
//                         decimal; 0 when it has no DOS form. The report, its
//                         .tmp and its .dialog_gone files are left out.
//   error=<text>          one per problem (a bad variable value, a failed
//                         step); the default is used for a bad value
//   exit=<exit code, decimal unsigned>
// Carriage returns and line feeds inside values are written as blanks.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/trace.h"

namespace {

constexpr char kAtomPrefix[] = "DxibLxkzjmTpcrVlzhaVtFwogas";
constexpr char kDialogClassPrefix[] = ".SDialog_Class_Name.";
constexpr char kHolderSwitch[] = "--dialog-holder";
constexpr long long kMaxMs = 600000;
constexpr DWORD kWaitForPollMs = 100;
constexpr DWORD kWaitForLimitMs = 60000;
constexpr DWORD kHolderWindowLimitMs = 10000;

std::string Env(const char* name) {
  char small[1024];
  const DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
  if (n == 0) return "";
  if (n < sizeof small) return std::string(small, n);
  // Too long for the buffer: n is the size needed, with the terminator.
  std::vector<char> big(n + 1, '\0');
  const DWORD got = GetEnvironmentVariableA(name, big.data(), DWORD(big.size()));
  return got < big.size() ? std::string(big.data(), got) : "";
}

// Decimal with an optional sign; false for anything else or out of range.
bool ParseDecimal(const std::string& text, long long low, long long high, long long* out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 12) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value < low || value > high) return false;
  *out = value;
  return true;
}

std::string ModulePath() {
  std::vector<char> buf(MAX_PATH);
  for (int tries = 0; tries < 6; ++tries) {
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
  return "";
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string CurrentFolder() {
  const DWORD need = GetCurrentDirectoryA(0, nullptr);
  if (need == 0) return "";
  std::vector<char> buf(need + 1, '\0');
  const DWORD n = GetCurrentDirectoryA(DWORD(buf.size()), buf.data());
  return n < buf.size() ? std::string(buf.data(), n) : "";
}

std::string FullPath(const std::string& path) {
  const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::vector<char> buf(need + 1, '\0');
  const DWORD n = GetFullPathNameA(path.c_str(), DWORD(buf.size()), buf.data(), nullptr);
  return n > 0 && n < buf.size() ? std::string(buf.data(), n) : path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteWhole(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  const BOOL closed = CloseHandle(f);
  return ok && closed && written == bytes.size();
}

// Text after "/TH_ID=" up to the next blank.
std::string TagOf(const std::string& cmdline) {
  static const std::string kSwitch = "/TH_ID=";
  const size_t at = cmdline.find(kSwitch);
  if (at == std::string::npos) return "";
  const size_t from = at + kSwitch.size();
  const size_t end = cmdline.find_first_of(" \t", from);
  return cmdline.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// Processes queued messages and returns after `ms`, or earlier once `done`
// says so (asked at least every `pollMs`).
template <typename Done>
bool PumpUntil(DWORD ms, DWORD pollMs, Done done) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    const DWORD left = DWORD(end - now);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(left, pollMs), QS_ALLINPUT);
  }
}

std::string OneLine(std::string value) {
  std::replace(value.begin(), value.end(), '\r', ' ');
  std::replace(value.begin(), value.end(), '\n', ' ');
  return value;
}

// ---- The dialog holder ----

LRESULT CALLBACK HolderProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      KillTimer(window, wp);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wp, lp);
  }
}

std::string ReportPath(const std::string& exe) {
  const std::string given = Env("ENGINE_DOUBLE_REPORT");
  return given.empty() ? FolderOf(exe) + "\\engine_report.txt" : given;
}

int RunDialogHolder(const std::string& tag, const std::string& msText) {
  long long ms = 0;
  if (!ParseDecimal(msText, 0, kMaxMs, &ms)) return 2;
  const std::string cls = kDialogClassPrefix + tag;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HolderProc;
  wc.hInstance = instance;
  wc.lpszClassName = cls.c_str();
  int code = 1;
  HWND window = nullptr;
  if (RegisterClassA(&wc)) {
    window = CreateWindowExA(0, cls.c_str(), "Engine dialog", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             320, 200, nullptr, nullptr, instance, nullptr);
  }
  if (window && SetTimer(window, 1, UINT(ms), nullptr)) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    code = 0;
  } else if (window) {
    DestroyWindow(window);
  }
  // Also on failure, so a test waiting for this file does not wait in vain.
  WriteWhole(ReportPath(ModulePath()) + ".dialog_gone", "");
  return code;
}

// ---- The engine ----

struct Settings {
  std::string report;
  bool keepAtom = false;
  DWORD exitCode = 0;
  DWORD runMs = 0;
  std::string waitFor;
  bool dialog = false;
  DWORD dialogMs = 0;
  std::vector<std::string> errors;
};

void ReadMs(const char* name, DWORD* out, bool* given, std::vector<std::string>* errors) {
  const std::string text = Env(name);
  if (text.empty()) return;
  long long value = 0;
  if (ParseDecimal(text, 0, kMaxMs, &value)) {
    *out = DWORD(value);
    if (given) *given = true;
  } else {
    errors->push_back(std::string(name) + ": not a number of milliseconds 0.." + std::to_string(kMaxMs) + ": \"" +
                      text + "\"");
  }
}

Settings ReadSettings(const std::string& exe) {
  Settings s;
  s.report = ReportPath(exe);
  const std::string keep = Env("ENGINE_DOUBLE_KEEP_ATOM");
  if (!keep.empty() && keep != "0") {
    if (keep == "1") s.keepAtom = true;
    else s.errors.push_back("ENGINE_DOUBLE_KEEP_ATOM: expected 0 or 1: \"" + keep + "\"");
  }
  const std::string exitText = Env("ENGINE_DOUBLE_EXIT");
  long long exitCode = 0;
  if (!exitText.empty()) {
    if (ParseDecimal(exitText, -2147483648LL, 4294967295LL, &exitCode)) s.exitCode = DWORD(exitCode);
    else s.errors.push_back("ENGINE_DOUBLE_EXIT: not a decimal exit code: \"" + exitText + "\"");
  }
  ReadMs("ENGINE_DOUBLE_RUN_MS", &s.runMs, nullptr, &s.errors);
  s.waitFor = Env("ENGINE_DOUBLE_WAIT_FOR");
  ReadMs("ENGINE_DOUBLE_DIALOG_MS", &s.dialogMs, &s.dialog, &s.errors);
  return s;
}

struct Observed {
  std::string cmdline, exe, cwd, tag;
  bool atomFound = false;
  bool atomDeleted = false;
  std::string show;
  std::string waitResult;  // empty: no wait was asked for, or not over yet
  int dialog = -1;         // -1: no dialog asked for
};

std::string FileLines(const std::string& folder, const std::string& report) {
  const std::string skip[] = {FullPath(report), FullPath(report + ".tmp"), FullPath(report + ".dialog_gone")};
  struct Entry {
    std::string name;
    unsigned long long size;
    unsigned long dosTime;
  };
  std::vector<Entry> entries;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return "";
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string full = FullPath(folder + "\\" + fd.cFileName);
    bool skipped = false;
    for (const std::string& s : skip) skipped = skipped || lstrcmpiA(full.c_str(), s.c_str()) == 0;
    if (skipped) continue;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
      date = 0;
      time = 0;
    }
    entries.push_back({fd.cFileName, (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                       (static_cast<unsigned long>(date) << 16) | time});
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  std::string out;
  for (const Entry& e : entries)
    out += "file=" + OneLine(e.name) + "|" + std::to_string(e.size) + "|" + std::to_string(e.dosTime) + "\r\n";
  return out;
}

void WriteReport(const Settings& s, const Observed& o, bool done) {
  std::string text;
  auto line = [&text](const std::string& key, const std::string& value) {
    text += key + "=" + OneLine(value) + "\r\n";
  };
  line("state", done ? "done" : "waiting");
  line("pid", std::to_string(GetCurrentProcessId()));
  line("cmdline", o.cmdline);
  line("exe", o.exe);
  line("cwd", o.cwd);
  line("tag", o.tag);
  line("atom_found", o.atomFound ? "1" : "0");
  line("atom_deleted", o.atomDeleted ? "1" : "0");
  line("show", o.show);
  if (!o.waitResult.empty()) line("wait_result", o.waitResult);
  if (o.dialog >= 0) line("dialog", std::to_string(o.dialog));
  text += FileLines(FolderOf(o.exe), s.report);
  for (const std::string& e : s.errors) line("error", e);
  line("exit", std::to_string(s.exitCode));

  const std::string temp = s.report + ".tmp";
  if (!WriteWhole(temp, text)) {
    TracePidLine(" ENGINE_DOUBLE cannot write " + temp);
    return;
  }
  // A reader may hold the report open for a moment; retry briefly.
  for (int tries = 0; tries < 50; ++tries) {
    if (MoveFileExA(temp.c_str(), s.report.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    Sleep(20);
  }
  TracePidLine(" ENGINE_DOUBLE cannot replace " + s.report);
  DeleteFileA(temp.c_str());
}

// Starts the dialog holder and waits until its window exists.
bool StartDialogHolder(const Observed& o, DWORD ms, std::vector<std::string>* errors) {
  std::string cmd =
      "\"" + o.exe + "\" " + kHolderSwitch + " \"" + o.tag + "\" " + std::to_string(ms);
  std::vector<char> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(o.exe.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    errors->push_back("dialog holder not started, error " + std::to_string(GetLastError()));
    return false;
  }
  CloseHandle(pi.hThread);
  const std::string cls = kDialogClassPrefix + o.tag;
  bool holderEnded = false;
  const bool found = PumpUntil(kHolderWindowLimitMs, 20, [&] {
    if (FindWindowA(cls.c_str(), nullptr)) return true;
    holderEnded = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    return holderEnded;
  }) && !holderEnded;
  CloseHandle(pi.hProcess);
  if (!found)
    errors->push_back(holderEnded ? "dialog holder ended without its window"
                                  : "dialog holder window did not appear in 10 s");
  return found;
}

int RunEngine() {
  Observed o;
  o.cmdline = GetCommandLineA();
  TraceDeviceStart();
  TracePidLine(" ENGINE_DOUBLE start " + o.cmdline);

  o.exe = ModulePath();
  o.cwd = CurrentFolder();
  o.tag = TagOf(o.cmdline);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  o.show = std::string((si.dwFlags & STARTF_USESHOWWINDOW) ? "1" : "0") + "," + std::to_string(si.wShowWindow);
  Settings s = ReadSettings(o.exe);

  const std::string atomName = kAtomPrefix + o.tag;
  o.atomFound = GlobalFindAtomA(atomName.c_str()) != 0;

  if (!s.waitFor.empty()) {
    WriteReport(s, o, false);
    const bool appeared = PumpUntil(kWaitForLimitMs, kWaitForPollMs, [&] { return Exists(s.waitFor); });
    o.waitResult = appeared ? "found" : "timeout";
  }
  if (s.runMs > 0) PumpUntil(s.runMs, s.runMs, [] { return false; });

  // Setup is complete: this is what tells the stub so.
  if (o.atomFound && !s.keepAtom) {
    const ATOM atom = GlobalFindAtomA(atomName.c_str());
    if (atom == 0) {
      s.errors.push_back("atom gone before the double deleted it");
    } else {
      o.atomDeleted = GlobalDeleteAtom(atom) == 0;
      if (!o.atomDeleted) s.errors.push_back("GlobalDeleteAtom failed, error " + std::to_string(GetLastError()));
    }
  }

  if (s.dialog) o.dialog = StartDialogHolder(o, s.dialogMs, &s.errors) ? 1 : 0;

  WriteReport(s, o, true);
  TracePidLine(" ENGINE_DOUBLE exit " + std::to_string(s.exitCode));
  return int(s.exitCode);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc >= 2 && lstrcmpA(__argv[1], kHolderSwitch) == 0) {
    if (__argc != 4) return 2;
    return RunDialogHolder(__argv[2], __argv[3]);
  }
  return RunEngine();
}
