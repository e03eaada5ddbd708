#include <windows.h>

#include <cmath>

#include "agent/settings.h"
#include "env/file_source.h"
#include "env/files.h"
#include "env/paths.h"
#include "env/registry.h"
#include "env/switches.h"
#include "env/sysinfo.h"
#include "env/text.h"
#include "package/agent_file.h"
#include "package/file_info.h"
#include "package/languages.h"
#include "setup/disk_files.h"
#include "setup/extract.h"
#include "setup/launch.h"
#include "setup/work_folder.h"
#include "stub/roles.h"
#include "stub/window.h"
#include "support/trace.h"
#include "ui/msgbox.h"

namespace {

int g_saveFailures = 0;  // for the process: only the first is shown

// The extraction's surroundings in the stub: the window's bars, message
// pumping in every wait, the trace device and the message box.
class StubExtractHost : public ExtractHost {
 public:
  StubExtractHost(int charset, const std::string& captions, const std::string& promptCaption)
      : charset_(charset), captions_(captions), promptCaption_(promptCaption) {}

  // Asked after every 64 KiB piece, messages are handled at most every
  // 20 ms: the window answers as promptly, and under Wine each look at the
  // queue is a server request (a quarter of the extraction time otherwise).
  void Pump() override {
    const int64_t now = GetTickMs();
    if (now - lastPump_ < kPumpMs && now >= lastPump_) return;
    lastPump_ = now;
    YieldX(0);
  }
  void Pause(uint32_t ms) override { WaitYielding(0, ms); }
  int64_t TickMs() override { return GetTickMs(); }
  uint32_t ProcessId() override { return GetCurrentProcessId(); }
  void Trace(const std::string& line) override { TraceLine(line); }
  void Progress(int operation, int64_t maximum, int64_t position, int64_t step) override {
    StubProgress(operation, 0, maximum, position, step, std::string());
  }
  void SuppressAutoPlay() override { SetAutoPlaySuppression(true); }
  void EjectMediumOf(const std::string& volumePath) override { EjectCD(volumePath); }
  bool AskOkCancel(const std::string& text) override {
    return ::AskOkCancel(0, text, promptCaption_, charset_, captions_);
  }
  void FolderNotCreated(const std::string& folder) override {
    const std::string error = GetLastErrorText();
    ShowError(0, folder + "<P><P>Unable to create Directory!<P><P>" + error, "", charset_, captions_);
  }
  void SaveFailed(const SaveFailure& failure) override {
    const std::string error = GetLastErrorText();
    if (g_saveFailures++ != 0) return;
    const double free = GetDiskFree(failure.path);
    ShowError(0,
              failure.path + "<P><P>Unable to save Extracted File!<P><P>" + error + "<P>" +
                  "  Data Size: <T>" + IntToText(failure.data_size) + " Bytes<P>" +
                  "  File Size:  <T>" + IntToText(FileSizeByName(failure.path)) + " Bytes<P>" +
                  "  Bytes Free: <T>" + IntToText(free > 0 ? int64_t(std::llround(free)) : 0) +
                  " Bytes",
              "", charset_, captions_);
  }

 private:
  static constexpr int64_t kPumpMs = 20;
  int charset_;
  std::string captions_, promptCaption_;
  int64_t lastPump_ = 0;
};

bool AgentMode() {
  const TGFileInfo* info = RunningPackageInfo();
  return info && info->ThisIs_AutoUpdateProg();
}

void Pause(int64_t ms) { WaitYielding(0, ms); }

// Deletes the shortcuts the update information file asks to remove, once
// the engine has completed.
void RemoveShortcuts(const std::string& startUpLink, const std::string& checkLink,
                     const agent::AgentFiles& files) {
  struct {
    const char* key;
    const std::string& link;
  } shortcuts[] = {{"RemoveStartUpShortcut", startUpLink},
                   {"RemoveCheckForNewUpdateShortcut", checkLink}};
  for (const auto& s : shortcuts) {
    if (ReadIniString(files.updateInfo, "NewSetup", s.key, "") == "1" && !s.link.empty() &&
        FileExists(s.link))
      DeleteFileA(s.link.c_str());
  }
}

// Starts the engine and waits for it and its dialog; true when it removed
// the launch atom.
bool StartEngineAndWait(const std::string& folder, const std::string& engineHead,
                        const std::string& extraParams, bool foreground) {
  const std::string tag = ThreadTag(GetCurrentThreadId());
  EngineLaunch launch;
  launch.workFolder = folder;
  launch.engineHead = engineHead;
  launch.extraParams = extraParams;
  launch.threadTag = tag;
  launch.runningFile = ProcessModulePath();
  launch.agentMode = AgentMode();
  const std::string commandLine = EngineCommandLine(launch);

  const agent::AgentFiles files = agent::AgentFilesFor(ProcessModulePath(), RunningPackage());
  const std::string startUpLink = ReadIniString(files.original, "UnInstall", "StartUpLink", "");
  const std::string checkLink = ReadIniString(files.original, "UnInstall", "CheckforNewUpdateLink", "");

  TracePidLine(" ==== WinExec(Engine.exe) >>" + commandLine + "<<");
  const std::string atomName = kLaunchAtomBase + tag;
  GlobalAddAtomA(atomName.c_str());
  const uintptr_t process = RunProgram(commandLine, foreground ? SW_SHOW : SW_HIDE);
  if (HWND main = reinterpret_cast<HWND>(StubMainWindow())) ShowWindow(main, SW_HIDE);
  Pause(1000);
  SetStubExitCode(WaitForProcess(process));
  CloseProgram(process);
  WaitWhileWindowExists(kEngineDialogClassBase + tag);
  Pause(1000);

  const ATOM atom = GlobalFindAtomA(atomName.c_str());
  const bool completed = atom == 0;
  if (atom != 0) GlobalDeleteAtom(atom);
  if (completed) RemoveShortcuts(startUpLink, checkLink, files);
  return completed;
}

// The web-download setup's agent file: the running stub itself, marked as
// the agent, written into the work folder.
void WriteWebDownloadAgentFile(const std::string& agentFileName) {
  const std::string name = FileNameOf(agentFileName);
  std::string why;
  if (!IsSafeFileName(name, &why)) {
    TracePidLine(" agent file not written: \"" + name + "\": " + why);
    return;
  }
  std::string image = ReadFilePart(ProcessModulePath(), 0, 0);
  if (image.empty()) return;
  MakeWebDownloadAgentImage(&image);
  const std::string path = SetTrailingBackslash(WorkFolder(), true) + name;
  WriteFileText(path, image, FileDosStamp(ProcessModulePath()), false);
}

}  // namespace

uintptr_t RunProgram(const std::string& commandLine, int show) {
  std::string line = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = WORD(show);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 0;
  CloseHandle(pi.hThread);
  return reinterpret_cast<uintptr_t>(pi.hProcess);
}

uint32_t WaitForProcess(uintptr_t process) {
  Pause(500);
  HANDLE h = reinterpret_cast<HANDLE>(process);
  if (!h) return 0;
  // On the process object, not on its exit code: an engine that ends with
  // code 259 (STILL_ACTIVE) would otherwise be waited for for ever.
  while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) Pause(100);
  DWORD code = 0;
  if (!GetExitCodeProcess(h, &code)) code = 0;
  return code;
}

void CloseProgram(uintptr_t process) {
  if (process) CloseHandle(reinterpret_cast<HANDLE>(process));
}

void WaitWhileWindowExists(const std::string& windowClass) {
  while (FindWindowA(windowClass.c_str(), nullptr)) Pause(100);
}

bool RunLaunchSequence(const std::string& workFolder, const std::string& sourceFile,
                       const std::string& agentFileName, const std::string& extraParams,
                       bool foreground) {
  bool completed = false;
  const TGFileInfo info = TGFileInfo::FromPath(sourceFile);
  if (info.ShowActivityBar())
    if (HWND bar = reinterpret_cast<HWND>(StubActivityBar())) ShowWindow(bar, SW_SHOW);
  SetLabel(StubText(info, "s1"), FontName(info), Charset(info), FontSize(info));

  std::string folder = workFolder;
  if (!EnoughSpace(folder, sourceFile) && FindAlternativeTempRoot()) folder = AlternativeWorkFolder();
  TraceLine(std::string("========= ForegroundOp=") + BoolText(foreground) + " ==========");

  if (!foreground || ConfirmSpace(folder, sourceFile, info)) {
    const int charset = Charset(info);
    const std::string captions = StubText(info, "BtnText");
    ExtractRequest request;
    request.source = sourceFile;
    request.agent_file_name = agentFileName;
    request.force_prompt = ForcePrompt();
    request.prompt_text =
        StubText(info, "s8");
    StubExtractHost host(charset, captions, StubText(info, "Attention"));

    if (foreground)
      if (HWND main = reinterpret_cast<HWND>(StubMainWindow())) ShowWindow(main, SW_SHOW);
    Pause(1000);
    DiskVolumeFiles volumes;
    DiskFolderTarget target(folder);
    const ExtractResult r = Extract(request, &volumes, &target, &host);
    Pause(1000);

    if (!r.engine_head.empty() && r.ok)
      completed = StartEngineAndWait(folder, r.engine_head, extraParams, foreground);
    if (!r.ok) {
      // The reason says which file or chunk failed, for whoever has to help.
      TracePidLine(" extraction failed: " + r.reason);
      ShowError(0,
                StubText(info, "s7") +
                    (r.reason.empty() ? std::string() : "<P><P>" + r.reason),
                StubText(info, "Error"), charset, captions);
    }
  }
  RemoveAlternativeWorkFolder();
  return completed;
}

void RunStartRoutine() {
  if (HWND main = reinterpret_cast<HWND>(StubMainWindow())) KillTimer(main, 1);
  const TGFileInfo& info = RunningPackage();
  const std::string agentFileName = info.MakeAgentCopy() ? info.AgentFileName() : std::string();
  if (info.WebDownload()) {
    if (!agentFileName.empty()) WriteWebDownloadAgentFile(agentFileName);
    std::string source = info.DownloadUrl();
    const std::string ownFolder = FolderOf(ProcessModulePath());
    if (!info.AlwaysDownload() && !info.SetupFileName().empty() &&
        FileExists(SetTrailingBackslash(ownFolder, true) + info.SetupFileName()))
      source = ownFolder;
    RunWebDownloadSetup(WorkFolder(), source, info.SetupFileName());
  } else {
    std::string source = GetSwitchValue("/SpanDiskFName1=", "");
    if (source.empty()) source = ProcessModulePath();
    const bool hidden = HasSwitch("/hide") || info.HideExtraction();
    RunLaunchSequence(WorkFolder(), source, agentFileName, GetCommandTail(), !hidden);
  }
  DeleteWorkFolder();
  PostQuitMessage(0);
}
