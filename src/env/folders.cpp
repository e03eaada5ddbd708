#include "env/folders.h"

#include "env/files.h"
#include "env/text.h"

namespace {

const char kCurrentVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFoldersKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// What a shell folder falls back on.
enum class Base { kProfile, kWindows, kUserDir, kAllUsersDir };

struct Row {
  ShellFolder folder;
  const char* name;
  bool special;  // SHGetSpecialFolderPathA rather than SHGetFolderPathA
  int csidl;
  int parents;   // how many times an existing answer is replaced by its parent
  Base fallback;
  const char* sub;     // appended to the fallback base (with a "\"); none: the base itself
  bool secondChance;   // a missing first fallback is retried under AllUsersDir
};

const Row kRows[kShellFolderCount] = {
    {ShellFolder::kDocumentsAndSettingsDir, "DocumentsAndSettingsDir", false, kCsidlPersonal, 2,
     Base::kProfile, nullptr, false},
    {ShellFolder::kUserDir, "UserDir", false, kCsidlPersonal, 1, Base::kProfile, nullptr, false},
    {ShellFolder::kAllUsersDir, "AllUsersDir", false, kCsidlCommonAppData, 1, Base::kWindows,
     nullptr, false},
    {ShellFolder::kUserLocalAppDataDir, "UserLocalAppDataDir", false, kCsidlLocalAppData, 0,
     Base::kProfile, "Application Data", false},
    {ShellFolder::kUserAppDataDir, "UserAppDataDir", false, kCsidlAppData, 0, Base::kProfile,
     "Application Data", false},
    {ShellFolder::kAllUsersAppDataDir, "AllUsersAppDataDir", false, kCsidlCommonAppData, 0,
     Base::kWindows, "Application Data", false},
    {ShellFolder::kMyDocumentsDir, "MyDocumentsDir", false, kCsidlPersonal, 0, Base::kProfile,
     "My Documents", false},
    {ShellFolder::kAllUsersDocumentsDir, "AllUsersDocumentsDir", false, kCsidlCommonDocuments, 0,
     Base::kWindows, "Documents", false},
    {ShellFolder::kUserStartMenuDir, "UserStartMenuDir", true, kCsidlStartMenu, 0, Base::kUserDir,
     "Start Menu", true},
    {ShellFolder::kAllUsersStartMenuDir, "AllUsersStartMenuDir", true, kCsidlCommonStartMenu, 0,
     Base::kAllUsersDir, "Start Menu", false},
    {ShellFolder::kUserStartProgramMenuDir, "UserStartProgramMenuDir", true, kCsidlPrograms, 0,
     Base::kUserDir, "Start Menu\\Programs", true},
    {ShellFolder::kAllUsersStartProgramMenuDir, "AllUsersStartProgramMenuDir", true,
     kCsidlCommonPrograms, 0, Base::kAllUsersDir, "Start Menu\\Programs", false},
    {ShellFolder::kUserDesktopDir, "UserDesktopDir", true, kCsidlDesktopDirectory, 0,
     Base::kUserDir, "Desktop", true},
    {ShellFolder::kAllUsersDesktopDir, "AllUsersDesktopDir", true, kCsidlCommonDesktopDirectory, 0,
     Base::kAllUsersDir, "Desktop", false},
};

const Row& RowOf(ShellFolder folder) {
  const int i = static_cast<int>(folder);
  return kRows[i >= 0 && i < kShellFolderCount ? i : 0];
}

bool Exists(const FolderSystem& sys, const std::string& path) {
  return !path.empty() && sys.FolderExists(path);
}

// The folder part with its trailing "\" removed: C:\ProgramData gives C:.
std::string Parent(const std::string& path) { return FolderOfFile(path); }

std::string BasePath(const FolderSystem& sys, Base base, bool trailingBackslash) {
  switch (base) {
    case Base::kProfile:
      return ProfileFallback(sys, trailingBackslash);
    case Base::kWindows:
      return GetWindowsDir(sys, trailingBackslash);
    case Base::kUserDir:
      return GetShellFolder(sys, ShellFolder::kUserDir, trailingBackslash);
    case Base::kAllUsersDir:
      return GetShellFolder(sys, ShellFolder::kAllUsersDir, trailingBackslash);
  }
  return std::string();
}

}  // namespace

const char* ShellFolderName(ShellFolder folder) { return RowOf(folder).name; }

std::string GetWindowsDir(const FolderSystem& sys, bool trailingBackslash) {
  return SetTrailingBackslash(sys.WindowsDir(), trailingBackslash);
}

std::string GetSystemDir(const FolderSystem& sys, bool trailingBackslash) {
  return SetTrailingBackslash(sys.SystemDir(), trailingBackslash);
}

std::string GetSystem16Dir(const FolderSystem& sys) {
  const std::string system = GetSystemDir(sys, false);
  const size_t at = LastPos("32", system);
  if (at > 0) {
    const std::string without = system.substr(0, at - 1) + system.substr(at + 1);
    if (Exists(sys, without)) return without;
  }
  const std::string windowsSystem = GetWindowsDir(sys, true) + "System";
  if (Exists(sys, windowsSystem)) return windowsSystem;
  return system;
}

std::string GetFontsDir(const FolderSystem& sys) {
  const std::string fonts = sys.RegistryValue(kShellFoldersKey, "Fonts");
  if (Exists(sys, fonts)) return fonts;
  return GetWindowsDir(sys, true) + "Fonts";
}

std::string GetProgramFilesDir(const FolderSystem& sys) {
  return sys.RegistryValue(kCurrentVersionKey, "ProgramFilesDir");
}

std::string GetCommonFilesDir(const FolderSystem& sys) {
  return sys.RegistryValue(kCurrentVersionKey, "CommonFilesDir");
}

std::string GetStartMenuDir(const FolderSystem& sys) {
  return sys.RegistryValue(kShellFoldersKey, "Start Menu");
}

std::string ProfileFallback(const FolderSystem& sys, bool trailingBackslash) {
  std::string profile = GetWindowsDir(sys, true) + "Profiles\\" + sys.RegisteredOwner();
  if (!Exists(sys, profile)) profile = GetWindowsDir(sys, false);
  return SetTrailingBackslash(profile, trailingBackslash);
}

std::string GetShellFolder(const FolderSystem& sys, ShellFolder folder, bool trailingBackslash) {
  const Row& row = RowOf(folder);
  std::string path = row.special ? sys.SpecialFolderPath(row.csidl) : sys.FolderPath(row.csidl);
  for (int i = 0; i < row.parents && Exists(sys, path); ++i) path = Parent(path);
  if (!Exists(sys, path)) {
    if (!row.sub) {
      path = BasePath(sys, row.fallback, false);
    } else {
      path = BasePath(sys, row.fallback, true) + row.sub;
      if (row.secondChance && !Exists(sys, path))
        path = BasePath(sys, Base::kAllUsersDir, true) + row.sub;
    }
  }
  return SetTrailingBackslash(path, trailingBackslash);
}

std::string ExePathText(const std::string& modulePath, bool baseNameOnly) {
  return baseNameOnly ? FileBaseName(modulePath, false) : modulePath;
}
