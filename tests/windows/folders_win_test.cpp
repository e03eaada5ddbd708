#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "env/folders.h"
#include "env/folders_win32.h"

namespace {

const ShellFolder kAll[] = {
    ShellFolder::kDocumentsAndSettingsDir,  ShellFolder::kUserDir,
    ShellFolder::kAllUsersDir,              ShellFolder::kUserLocalAppDataDir,
    ShellFolder::kUserAppDataDir,           ShellFolder::kAllUsersAppDataDir,
    ShellFolder::kMyDocumentsDir,           ShellFolder::kAllUsersDocumentsDir,
    ShellFolder::kUserStartMenuDir,         ShellFolder::kAllUsersStartMenuDir,
    ShellFolder::kUserStartProgramMenuDir,  ShellFolder::kAllUsersStartProgramMenuDir,
    ShellFolder::kUserDesktopDir,           ShellFolder::kAllUsersDesktopDir,
};

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWithBackslash(const std::string& s) { return !s.empty() && s.back() == '\\'; }

TEST(FoldersOfTheSystem, ShellFoldersExist) {
  for (ShellFolder f : kAll) {
    const std::string without = GetShellFolder(f, false);
    const std::string with = GetShellFolder(f, true);
    EXPECT_TRUE(IsFolder(without)) << ShellFolderName(f) << ": " << without;
    EXPECT_EQ(with, without + "\\") << ShellFolderName(f);
  }
  // Documents are in the user's folder, which is in the folder of all users'.
  const std::string docs = GetShellFolder(ShellFolder::kMyDocumentsDir, false);
  const std::string user = GetShellFolder(ShellFolder::kUserDir, false);
  EXPECT_EQ(docs.substr(0, docs.rfind('\\')), user);
  EXPECT_EQ(user.substr(0, user.rfind('\\')),
            GetShellFolder(ShellFolder::kDocumentsAndSettingsDir, false));
  // C:\ProgramData's parent is the drive.
  if (GetShellFolder(ShellFolder::kAllUsersAppDataDir, false) == "C:\\ProgramData") {
    EXPECT_EQ(GetShellFolder(ShellFolder::kAllUsersDir, false), "C:");
    EXPECT_EQ(GetShellFolder(ShellFolder::kAllUsersDir, true), "C:\\");
  }
}

TEST(FoldersOfTheSystem, ProgramAndSystemFolders) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  EXPECT_EQ(GetExePath(false), self);
  EXPECT_EQ(GetExePath(true), "win_tests");
  EXPECT_EQ(GetExeDir(true) + "win_tests.exe", self);

  struct Case {
    const char* what;
    std::string (*get)(bool);
  } cases[] = {{"exe", GetExeDir}, {"windows", GetWindowsDir}, {"system", GetSystemDir},
               {"temp", GetTempDir}};
  for (const auto& c : cases) {
    const std::string without = c.get(false), with = c.get(true);
    EXPECT_TRUE(IsFolder(without)) << c.what << ": " << without;
    EXPECT_FALSE(EndsWithBackslash(without)) << c.what;
    EXPECT_EQ(with, without + "\\") << c.what;
  }
  // A 64-bit Wine prefix has no 16-bit system folder: the system folder answers.
  const std::string system16 = GetSystem16Dir();
  EXPECT_TRUE(IsFolder(system16)) << system16;
  if (!IsFolder(GetWindowsDir(true) + "system") && !IsFolder(GetWindowsDir(true) + "System"))
    EXPECT_EQ(system16, GetSystemDir(false));
  EXPECT_TRUE(IsFolder(GetFontsDir())) << GetFontsDir();
  EXPECT_TRUE(IsFolder(GetProgramFilesDir())) << GetProgramFilesDir();
  EXPECT_TRUE(IsFolder(GetCommonFilesDir())) << GetCommonFilesDir();
}

void* NoLibrary(const char*) { return nullptr; }
// Handle values up to 32 are error codes of the old LoadLibrary, not modules.
void* ErrorCodeHandle(const char*) { return reinterpret_cast<void*>(UINT_PTR(32)); }
// A library without the shell's entry points.
void* WrongLibrary(const char*) { return GetModuleHandleA("kernel32.dll"); }

// Without the shell libraries every shell folder falls back on the Windows
// folder (the prefix has no Windows\Profiles folder for the owner).
TEST(FoldersWithoutShell, FallBackOnTheWindowsFolder) {
  const std::string w = GetWindowsDir(false);
  ASSERT_FALSE(IsFolder(w + "\\Profiles"));
  struct Case {
    ShellFolder folder;
    std::string want;
  } cases[] = {
      {ShellFolder::kDocumentsAndSettingsDir, w},
      {ShellFolder::kUserDir, w},
      {ShellFolder::kAllUsersDir, w},
      {ShellFolder::kUserLocalAppDataDir, w + "\\Application Data"},
      {ShellFolder::kUserAppDataDir, w + "\\Application Data"},
      {ShellFolder::kAllUsersAppDataDir, w + "\\Application Data"},
      {ShellFolder::kMyDocumentsDir, w + "\\My Documents"},
      {ShellFolder::kAllUsersDocumentsDir, w + "\\Documents"},
      {ShellFolder::kUserStartMenuDir, w + "\\Start Menu"},
      {ShellFolder::kAllUsersStartMenuDir, w + "\\Start Menu"},
      {ShellFolder::kUserStartProgramMenuDir, w + "\\Start Menu\\Programs"},
      {ShellFolder::kAllUsersStartProgramMenuDir, w + "\\Start Menu\\Programs"},
      {ShellFolder::kUserDesktopDir, w + "\\Desktop"},
      {ShellFolder::kAllUsersDesktopDir, w + "\\Desktop"},
  };
  for (FolderLibraryLoader loader : {NoLibrary, ErrorCodeHandle, WrongLibrary}) {
    const Win32FolderSystem noShell(loader);
    for (const auto& c : cases) {
      EXPECT_EQ(GetShellFolder(noShell, c.folder, false), c.want) << ShellFolderName(c.folder);
      EXPECT_EQ(GetShellFolder(noShell, c.folder, true), c.want + "\\") << ShellFolderName(c.folder);
    }
  }
  // The real system still answers from the shell.
  EXPECT_NE(GetShellFolder(ShellFolder::kUserAppDataDir, false), w + "\\Application Data");
}

}  // namespace
