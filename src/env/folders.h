// Where the well-known folders lie: the program's own path, the Windows,
// system, 16-bit system and temporary folders, the fonts, program-files,
// common-files and start-menu folders, and fourteen per-user and all-users
// shell folders.
//
// Every answer is computed afresh. A shell folder is never empty: when the
// shell cannot say (its library or entry point missing, the folder not
// there), a chain of fallbacks built on the Windows folder answers instead.
//
// The chains are portable rules over a FolderSystem, the few facts they ask
// of the system; folders_win32.cpp supplies the real one (folders_win32.h).
//
// A "trailing-backslash flag" normalises a result: one trailing "\" is removed
// from a path of three or more bytes, and one is appended when the flag is
// set ("C:\Windows\" and "C:\Windows" give "C:\Windows" / "C:\Windows\";
// "C:\" gives "C:" / "C:\").
#pragma once

#include <string>

// The facts the folder rules ask of the system. Failures are empty texts.
class FolderSystem {
 public:
  virtual ~FolderSystem() = default;
  // As the system reports them (GetWindowsDirectoryA, GetSystemDirectoryA).
  virtual std::string WindowsDir() const = 0;
  virtual std::string SystemDir() const = 0;
  // SHGetFolderPathA of SHFolder.dll with CSIDL_FLAG_CREATE (so the shell
  // creates a missing folder); "" when the library or entry point is missing
  // or the call fails.
  virtual std::string FolderPath(int csidl) const = 0;
  // SHGetSpecialFolderPathA of shell32.dll without creating the folder.
  virtual std::string SpecialFolderPath(int csidl) const = 0;
  virtual bool FolderExists(const std::string& path) const = 0;
  // The registered owner (falls back to the logged-on user name).
  virtual std::string RegisteredOwner() const = 0;
  // A registry value in the default view, "" when absent.
  virtual std::string RegistryValue(const std::string& key, const std::string& name) const = 0;
};

// The shell folders, named as the macros that insert them.
enum class ShellFolder {
  kDocumentsAndSettingsDir,
  kUserDir,
  kAllUsersDir,
  kUserLocalAppDataDir,
  kUserAppDataDir,
  kAllUsersAppDataDir,
  kMyDocumentsDir,
  kAllUsersDocumentsDir,
  kUserStartMenuDir,
  kAllUsersStartMenuDir,
  kUserStartProgramMenuDir,
  kAllUsersStartProgramMenuDir,
  kUserDesktopDir,
  kAllUsersDesktopDir,
};
inline constexpr int kShellFolderCount = 14;
// "UserDir" and so on.
const char* ShellFolderName(ShellFolder folder);

// Shell folder identifiers (CSIDL values) the rules ask for.
enum Csidl : int {
  kCsidlPrograms = 0x02,
  kCsidlPersonal = 0x05,
  kCsidlStartMenu = 0x0B,
  kCsidlDesktopDirectory = 0x10,
  kCsidlCommonStartMenu = 0x16,
  kCsidlCommonPrograms = 0x17,
  kCsidlCommonDesktopDirectory = 0x19,
  kCsidlAppData = 0x1A,
  kCsidlLocalAppData = 0x1C,
  kCsidlCommonAppData = 0x23,
  kCsidlCommonDocuments = 0x2E,
};
inline constexpr int kCsidlFlagCreate = 0x8000;

// ---- The rules, over any FolderSystem ----

std::string GetWindowsDir(const FolderSystem& sys, bool trailingBackslash);
std::string GetSystemDir(const FolderSystem& sys, bool trailingBackslash);
// The system folder less its last "32" when that folder exists (system32
// gives system); else the Windows folder's "System" when it exists; else the
// system folder. No trailing backslash.
std::string GetSystem16Dir(const FolderSystem& sys);
// The "Fonts" shell-folder registry value when it names an existing folder,
// else the Windows folder's "Fonts".
std::string GetFontsDir(const FolderSystem& sys);
// Registry values as stored, "" when absent.
std::string GetProgramFilesDir(const FolderSystem& sys);
std::string GetCommonFilesDir(const FolderSystem& sys);
std::string GetStartMenuDir(const FolderSystem& sys);
// Windows folder + "Profiles\" + registered owner when that folder exists,
// else the Windows folder.
std::string ProfileFallback(const FolderSystem& sys, bool trailingBackslash);
std::string GetShellFolder(const FolderSystem& sys, ShellFolder folder, bool trailingBackslash);

// The module path, or with `baseNameOnly` its file name without the last
// extension ("C:\x\archive.tar.gz" gives "archive.tar").
std::string ExePathText(const std::string& modulePath, bool baseNameOnly);

// ---- The running system (Windows builds) ----

std::string GetExePath(bool baseNameOnly);
std::string GetExeDir(bool trailingBackslash);
std::string GetWindowsDir(bool trailingBackslash);
std::string GetSystemDir(bool trailingBackslash);
std::string GetTempDir(bool trailingBackslash);
std::string GetSystem16Dir();
std::string GetFontsDir();
std::string GetProgramFilesDir();
std::string GetCommonFilesDir();
std::string GetStartMenuDir();
std::string GetShellFolder(ShellFolder folder, bool trailingBackslash);
