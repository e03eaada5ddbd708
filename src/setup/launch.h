// The setup engine's command line and the names the stub shares with the
// engine. Portable: the launch sequence (launch_win32.cpp) supplies the
// process-wide values.
#pragma once

#include <cstdint>
#include <string>

// The global atom the stub adds before starting the engine, followed by the
// thread tag; the engine deletes it once its setup has completed.
inline constexpr char kLaunchAtomBase[] = "DxibLxkzjmTpcrVlzhaVtFwogas";
// The window class of the engine's dialog, followed by the thread tag.
inline constexpr char kEngineDialogClassBase[] = ".SDialog_Class_Name.";

// "_" and the thread id in decimal.
std::string ThreadTag(uint32_t threadId);

// Deletes the first occurrence of `switchText` ("/SpanCdLvl=") from its first
// character up to the next "/" (which stays) or the end of the text.
std::string RemoveSwitch(const std::string& commandLine, const std::string& switchText);

struct EngineLaunch {
  std::string workFolder;   // where the engine was extracted
  std::string engineHead;   // "Engine.exe" or "Engine.exe*params" (not empty)
  std::string extraParams;  // the stub's own parameters, or what the caller adds
  std::string threadTag;
  std::string runningFile;  // the setup file that runs, for "/OriginExe="
  bool agentMode = false;
};

// The engine's path in the work folder, quoted (a folder with a blank must
// not let the system start another program); the extra parameters and those
// of the engine head; " /TH_ID=" and the tag; " /OriginExe=" and the quoted
// running file unless the parameters carry one; " /AutoUpdateProg" for an
// agent; never "/SpanCdLvl=" or "/SpanDiskFName1=".
std::string EngineCommandLine(const EngineLaunch& launch);

// The engine's file name from its head: the text before the first "*",
// trimmed, or the whole head.
std::string EngineFileName(const std::string& engineHead);

// ---- Windows builds ----

class TGFileInfo;

// Extracts `sourceFile` (the first volume) into the work folder, or the
// alternative one when the work folder's drive is short of space, starts the
// engine, waits for it and its dialog, and takes its exit code as the
// stub's. `foreground` shows the window and the free-space question and
// starts the engine shown. True when the engine removed the launch atom.
bool RunLaunchSequence(const std::string& workFolder, const std::string& sourceFile,
                       const std::string& agentFileName, const std::string& extraParams,
                       bool foreground);

// Starts `commandLine` (no application name, nothing inherited, default
// environment and folder) asking for `show` as its first window's state.
// The process handle, or 0 when it could not be started.
uintptr_t RunProgram(const std::string& commandLine, int show);
// Waits, processing window messages, until the process has ended; its exit
// code then (0 when the system gives none). A process 0 ends the wait after
// its first pause.
uint32_t WaitForProcess(uintptr_t process);
// Closes a handle RunProgram returned.
void CloseProgram(uintptr_t process);
// Waits, processing window messages, while a top-level window of class
// `windowClass` exists; looks every 100 ms.
void WaitWhileWindowExists(const std::string& windowClass);
