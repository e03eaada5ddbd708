#include "env/folders.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// A computer described by a few facts: which folders exist and what the
// shell and the registry answer.
class FakeFolders : public FolderSystem {
 public:
  std::string windows = "C:\\Windows";
  std::string system = "C:\\Windows\\system32";
  std::string owner = "Owner";
  std::map<int, std::string> folderPaths;   // SHGetFolderPathA
  std::map<int, std::string> specialPaths;  // SHGetSpecialFolderPathA
  std::set<std::string> existing;
  std::map<std::string, std::string> registry;  // "key|name" -> value

  std::string WindowsDir() const override { return windows; }
  std::string SystemDir() const override { return system; }
  std::string FolderPath(int csidl) const override { return Find(folderPaths, csidl); }
  std::string SpecialFolderPath(int csidl) const override { return Find(specialPaths, csidl); }
  bool FolderExists(const std::string& path) const override { return existing.count(path) > 0; }
  std::string RegisteredOwner() const override { return owner; }
  std::string RegistryValue(const std::string& key, const std::string& name) const override {
    auto it = registry.find(key + "|" + name);
    return it == registry.end() ? std::string() : it->second;
  }

  // Registers the path and every folder above it as existing.
  void Make(std::string path) {
    while (!path.empty()) {
      existing.insert(path);
      const size_t slash = path.rfind('\\');
      if (slash == std::string::npos) break;
      path = path.substr(0, slash);
    }
  }

 private:
  static std::string Find(const std::map<int, std::string>& m, int csidl) {
    auto it = m.find(csidl);
    return it == m.end() ? std::string() : it->second;
  }
};

// A machine where the shell answers every folder, each with a path of its own.
FakeFolders ShellEverywhere() {
  FakeFolders f;
  for (int csidl : {kCsidlPersonal, kCsidlCommonAppData, kCsidlLocalAppData, kCsidlAppData,
                    kCsidlCommonDocuments}) {
    f.folderPaths[csidl] = "C:\\F" + std::to_string(csidl) + "\\A\\B";
    f.Make(f.folderPaths[csidl]);
  }
  for (int csidl : {kCsidlStartMenu, kCsidlCommonStartMenu, kCsidlPrograms, kCsidlCommonPrograms,
                    kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory}) {
    f.specialPaths[csidl] = "C:\\S" + std::to_string(csidl);
    f.Make(f.specialPaths[csidl]);
  }
  return f;
}

// Each row asks the right shell call for the right folder and walks up the
// right number of parents.
TEST(ShellFolders, EachRowAsksTheShell) {
  const FakeFolders f = ShellEverywhere();
  struct Case {
    ShellFolder folder;
    const char* want;
  } cases[] = {
      {ShellFolder::kDocumentsAndSettingsDir, "C:\\F5"},
      {ShellFolder::kUserDir, "C:\\F5\\A"},
      {ShellFolder::kAllUsersDir, "C:\\F35\\A"},
      {ShellFolder::kUserLocalAppDataDir, "C:\\F28\\A\\B"},
      {ShellFolder::kUserAppDataDir, "C:\\F26\\A\\B"},
      {ShellFolder::kAllUsersAppDataDir, "C:\\F35\\A\\B"},
      {ShellFolder::kMyDocumentsDir, "C:\\F5\\A\\B"},
      {ShellFolder::kAllUsersDocumentsDir, "C:\\F46\\A\\B"},
      {ShellFolder::kUserStartMenuDir, "C:\\S11"},
      {ShellFolder::kAllUsersStartMenuDir, "C:\\S22"},
      {ShellFolder::kUserStartProgramMenuDir, "C:\\S2"},
      {ShellFolder::kAllUsersStartProgramMenuDir, "C:\\S23"},
      {ShellFolder::kUserDesktopDir, "C:\\S16"},
      {ShellFolder::kAllUsersDesktopDir, "C:\\S25"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetShellFolder(f, c.folder, false), c.want) << ShellFolderName(c.folder);
    EXPECT_EQ(GetShellFolder(f, c.folder, true), std::string(c.want) + "\\")
        << ShellFolderName(c.folder);
  }
}

TEST(ShellFolders, TypicalMachine) {
  FakeFolders f;
  f.folderPaths[kCsidlPersonal] = "C:\\Users\\user1\\Documents";
  f.folderPaths[kCsidlCommonAppData] = "C:\\ProgramData";
  f.Make("C:\\Users\\user1\\Documents");
  f.Make("C:\\ProgramData");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserDir, false), "C:\\Users\\user1");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kDocumentsAndSettingsDir, false), "C:\\Users");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kMyDocumentsDir, false), "C:\\Users\\user1\\Documents");
  // The parent of a folder right under the drive root is the drive itself.
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kAllUsersDir, false), "C:");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kAllUsersDir, true), "C:\\");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kAllUsersAppDataDir, false), "C:\\ProgramData");
}

// Without the shell (library or entry point missing: every look-up empty).
TEST(ShellFolders, FallbacksWithoutShell) {
  struct Case {
    ShellFolder folder;
    const char* withoutProfile;  // no Windows\Profiles\<owner> folder
    const char* withProfile;     // C:\Windows\Profiles\Owner exists
  } cases[] = {
      {ShellFolder::kDocumentsAndSettingsDir, "C:\\Windows", "C:\\Windows\\Profiles\\Owner"},
      {ShellFolder::kUserDir, "C:\\Windows", "C:\\Windows\\Profiles\\Owner"},
      {ShellFolder::kAllUsersDir, "C:\\Windows", "C:\\Windows"},
      {ShellFolder::kUserLocalAppDataDir, "C:\\Windows\\Application Data",
       "C:\\Windows\\Profiles\\Owner\\Application Data"},
      {ShellFolder::kUserAppDataDir, "C:\\Windows\\Application Data",
       "C:\\Windows\\Profiles\\Owner\\Application Data"},
      {ShellFolder::kAllUsersAppDataDir, "C:\\Windows\\Application Data",
       "C:\\Windows\\Application Data"},
      {ShellFolder::kMyDocumentsDir, "C:\\Windows\\My Documents",
       "C:\\Windows\\Profiles\\Owner\\My Documents"},
      {ShellFolder::kAllUsersDocumentsDir, "C:\\Windows\\Documents", "C:\\Windows\\Documents"},
      // The user's start-menu folders fall back to the all-users ones when the
      // user's own does not exist (here it never does).
      {ShellFolder::kUserStartMenuDir, "C:\\Windows\\Start Menu", "C:\\Windows\\Start Menu"},
      {ShellFolder::kAllUsersStartMenuDir, "C:\\Windows\\Start Menu", "C:\\Windows\\Start Menu"},
      {ShellFolder::kUserStartProgramMenuDir, "C:\\Windows\\Start Menu\\Programs",
       "C:\\Windows\\Start Menu\\Programs"},
      {ShellFolder::kAllUsersStartProgramMenuDir, "C:\\Windows\\Start Menu\\Programs",
       "C:\\Windows\\Start Menu\\Programs"},
      {ShellFolder::kUserDesktopDir, "C:\\Windows\\Desktop", "C:\\Windows\\Desktop"},
      {ShellFolder::kAllUsersDesktopDir, "C:\\Windows\\Desktop", "C:\\Windows\\Desktop"},
  };
  FakeFolders plain;
  plain.Make("C:\\Windows");
  FakeFolders profiled = plain;
  profiled.Make("C:\\Windows\\Profiles\\Owner");
  for (const auto& c : cases) {
    EXPECT_EQ(GetShellFolder(plain, c.folder, false), c.withoutProfile) << ShellFolderName(c.folder);
    EXPECT_EQ(GetShellFolder(profiled, c.folder, false), c.withProfile) << ShellFolderName(c.folder);
    EXPECT_EQ(GetShellFolder(plain, c.folder, true), std::string(c.withoutProfile) + "\\")
        << ShellFolderName(c.folder);
  }
}

TEST(ShellFolders, SecondFallbackOnlyWhenTheUsersFolderIsMissing) {
  FakeFolders f;
  f.Make("C:\\Windows\\Profiles\\Owner\\Desktop");
  f.Make("C:\\Windows\\Profiles\\Owner\\Start Menu");  // but no Programs inside
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserDesktopDir, false),
            "C:\\Windows\\Profiles\\Owner\\Desktop");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserStartMenuDir, false),
            "C:\\Windows\\Profiles\\Owner\\Start Menu");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserStartProgramMenuDir, false),
            "C:\\Windows\\Start Menu\\Programs");
}

TEST(ShellFolders, ShellAnswersThatDoNotExistAreReplaced) {
  FakeFolders f;
  f.Make("C:\\Windows");
  f.folderPaths[kCsidlAppData] = "C:\\Gone\\AppData";
  f.specialPaths[kCsidlDesktopDirectory] = "C:\\Gone\\Desktop";
  f.folderPaths[kCsidlPersonal] = "D:\\Docs";  // exists, but its parent does not
  f.existing.insert("D:\\Docs");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserAppDataDir, false), "C:\\Windows\\Application Data");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserDesktopDir, false), "C:\\Windows\\Desktop");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kMyDocumentsDir, false), "D:\\Docs");
  EXPECT_EQ(GetShellFolder(f, ShellFolder::kUserDir, false), "C:\\Windows");
}

TEST(SystemFolders, TrailingBackslash) {
  struct Case {
    const char* reported;
    const char* without;
    const char* with;
  } cases[] = {
      {"C:\\Windows", "C:\\Windows", "C:\\Windows\\"},
      {"C:\\Windows\\", "C:\\Windows", "C:\\Windows\\"},
      {"C:\\", "C:", "C:\\"},
      {"", "", "\\"},
  };
  for (const auto& c : cases) {
    FakeFolders f;
    f.windows = c.reported;
    f.system = c.reported;
    EXPECT_EQ(GetWindowsDir(f, false), c.without) << c.reported;
    EXPECT_EQ(GetWindowsDir(f, true), c.with) << c.reported;
    EXPECT_EQ(GetSystemDir(f, false), c.without) << c.reported;
    EXPECT_EQ(GetSystemDir(f, true), c.with) << c.reported;
  }
}

TEST(SystemFolders, System16) {
  FakeFolders f;
  f.system = "C:\\Windows\\System32";
  f.Make("C:\\Windows\\System32");
  f.Make("C:\\Windows\\System");
  EXPECT_EQ(GetSystem16Dir(f), "C:\\Windows\\System");
  f.system = "C:\\Win32\\system32\\";  // the last "32" goes, the backslash too
  f.Make("C:\\Win32\\system32");
  f.Make("C:\\Win32\\system");
  EXPECT_EQ(GetSystem16Dir(f), "C:\\Win32\\system");

  FakeFolders noSystem;  // only the Windows folder's "System" exists
  noSystem.Make("C:\\Windows\\System");
  noSystem.system = "C:\\WinNT\\system32";
  EXPECT_EQ(GetSystem16Dir(noSystem), "C:\\Windows\\System");

  FakeFolders neither;
  neither.system = "C:\\WinNT\\SYSTEM";  // no "32", nothing exists
  EXPECT_EQ(GetSystem16Dir(neither), "C:\\WinNT\\SYSTEM");
}

TEST(SystemFolders, RegistryFolders) {
  const std::string shellFolders =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const std::string currentVersion = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  FakeFolders f;
  EXPECT_EQ(GetFontsDir(f), "C:\\Windows\\Fonts");  // no value
  f.registry[shellFolders + "|Fonts"] = "D:\\MyFonts";
  EXPECT_EQ(GetFontsDir(f), "C:\\Windows\\Fonts");  // value names no folder
  f.Make("D:\\MyFonts");
  EXPECT_EQ(GetFontsDir(f), "D:\\MyFonts");

  EXPECT_EQ(GetProgramFilesDir(f), "");
  EXPECT_EQ(GetCommonFilesDir(f), "");
  EXPECT_EQ(GetStartMenuDir(f), "");
  f.registry[currentVersion + "|ProgramFilesDir"] = "C:\\Program Files\\";  // as stored
  f.registry[currentVersion + "|CommonFilesDir"] = "C:\\Program Files\\Common Files";
  f.registry[shellFolders + "|Start Menu"] = "C:\\Menu";
  EXPECT_EQ(GetProgramFilesDir(f), "C:\\Program Files\\");
  EXPECT_EQ(GetCommonFilesDir(f), "C:\\Program Files\\Common Files");
  EXPECT_EQ(GetStartMenuDir(f), "C:\\Menu");
}

TEST(SystemFolders, ExePath) {
  struct Case {
    const char* path;
    const char* base;
  } cases[] = {
      {"C:\\x\\setup.exe", "setup"},
      {"C:\\x\\archive.tar.gz", "archive.tar"},
      {"C:\\x.y\\noext", "noext"},
      {"setup.exe", "setup"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExePathText(c.path, true), c.base) << c.path;
    EXPECT_EQ(ExePathText(c.path, false), c.path);
  }
}

}  // namespace
