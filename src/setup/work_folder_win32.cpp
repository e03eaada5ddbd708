#include <windows.h>

#include "env/file_source.h"
#include "env/files.h"
#include "env/folders.h"
#include "env/registry.h"
#include "env/switches.h"
#include "env/text.h"
#include "package/file_info.h"
#include "package/languages.h"
#include "setup/work_folder.h"
#include "ui/msgbox.h"

namespace {

// A folder this process works in, held open without delete sharing: another
// stub can see that it is in use (and nobody can remove or rename it).
struct HeldFolder {
  std::string path;  // with a trailing "\"
  HANDLE hold = INVALID_HANDLE_VALUE;

  void Release() {
    if (hold != INVALID_HANDLE_VALUE) CloseHandle(hold);
    hold = INVALID_HANDLE_VALUE;
  }
};

HeldFolder g_work, g_alternative;
bool g_probed = false;
std::string g_alternativeRoot;

constexpr int kFolderNameTries = 100;

HANDLE OpenFolder(const std::string& folder, DWORD access, DWORD share) {
  return CreateFileA(SetTrailingBackslash(folder, false).c_str(), access, share, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether a running stub holds the folder: it cannot be opened for deletion.
bool HeldByOther(const std::string& folder, void*) {
  HANDLE h = OpenFolder(folder, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

// Empties and recreates the first folder named `base` (or `base` with a
// suffix) that no running stub holds, and holds it.
void TakeFolder(const std::string& base, HeldFolder* out) {
  std::string name = SetTrailingBackslash(base, false);
  const std::string free = FirstFreeFolderName(name, kFolderNameTries, HeldByOther, nullptr);
  if (!free.empty()) name = free;
  DeleteTree(name, true);
  MakeFolders(name);
  out->path = name;
  out->hold = OpenFolder(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

bool RemoveFolder(HeldFolder* folder) {
  folder->Release();
  const std::string path = SetTrailingBackslash(folder->path, false);
  DeleteTree(path, true);
  return !IsFolder(path);
}

// A probe folder on `root` that did not exist before: "X:\TEMP", or inside
// an existing "X:\TEMP" one with a random number.
std::string NewProbeFolder(const std::string& root) {
  const std::string temp = root + "TEMP";
  if (!IsFolder(temp)) return temp;
  for (int i = 0; i < 20; ++i) {
    const std::string probe = temp + "\\TEMP" + RandomText(10000, 100000);
    if (GetFileAttributesA(probe.c_str()) == INVALID_FILE_ATTRIBUTES) return probe;
  }
  return std::string();
}

// The free space of a fixed drive on which a test file can be written; 0
// otherwise.
int64_t ProbeDrive(char letter) {
  const std::string root = std::string(1, letter) + ":\\";
  if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) return 0;
  const std::string probe = NewProbeFolder(root);
  if (probe.empty() || !MakeFolders(probe)) return 0;
  const std::string testFile = probe + "\\~aa.tmp";
  int64_t free = 0;
  if (WriteFileText(testFile, "aa", 0, false) && FileExists(testFile)) free = FreeBytesOn(root);
  DeleteTree(probe, true);
  return free;
}

}  // namespace

std::string WorkFolder() {
  if (g_work.path.empty())
    TakeFolder(WorkFolderName(GetTempDir(true), FileDosStamp(ProcessModulePath())), &g_work);
  return g_work.path;
}

bool WorkFolderChosen() { return !g_work.path.empty(); }

void ReleaseWorkFolder() { g_work.Release(); }

bool DeleteWorkFolder() {
  WorkFolder();
  return RemoveFolder(&g_work);
}

bool FindAlternativeTempRoot() {
  if (!g_probed) {
    g_probed = true;
    int64_t free[3] = {ProbeDrive('C'), ProbeDrive('D'), ProbeDrive('E')};
    const std::string temp = GetTempDir(true);
    const char best = BestOtherDrive(temp.empty() ? 'C' : temp[0], free);
    if (best) {
      g_alternativeRoot = std::string(1, best) + ":\\TEMP";
      if (IsFolder(g_alternativeRoot)) g_alternativeRoot += "\\TEMP";
    }
  }
  return !g_alternativeRoot.empty();
}

std::string AlternativeTempRoot() { return g_alternativeRoot; }

std::string AlternativeWorkFolder() {
  if (g_alternativeRoot.empty()) return std::string();
  if (g_alternative.path.empty())
    TakeFolder(g_alternativeRoot + "_" + RandomText(10000, 100000), &g_alternative);
  return g_alternative.path;
}

void RemoveAlternativeWorkFolder() {
  if (!g_alternative.path.empty()) RemoveFolder(&g_alternative);
}

int64_t FreeBytesOn(const std::string& folder) {
  const double free = GetDiskFree(folder);
  return free > 0 ? int64_t(free) : 0;
}

int64_t SpaceRequiredOn(const std::string& folder, const std::string& setupFile) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  uint64_t cluster = 0;
  if (GetDiskFreeSpaceA(DriveRoot(folder).c_str(), &sectorsPerCluster, &bytesPerSector,
                        &freeClusters, &clusters))
    cluster = uint64_t(sectorsPerCluster) * bytesPerSector;
  return int64_t(TGFileInfo::FromPath(setupFile).SpaceRequired(cluster));
}

bool EnoughSpace(const std::string& folder, const std::string& setupFile) {
  return SpaceRequiredOn(folder, setupFile) < FreeBytesOn(folder) && IsFolder(folder);
}

bool ConfirmSpace(const std::string& folder, const std::string& setupFile, const TGFileInfo& info) {
  const std::string question =
      FreeSpaceQuestion(info.ShowTempDriveNotice(), SpaceTextsOf(info), folder,
                        SpaceRequiredOn(folder, setupFile), FreeBytesOn(folder));
  if (question.empty()) return true;
  return AskYesNo(0, question, StubText(info, "Confirm"), 0, Charset(info), StubText(info, "BtnText"));
}

bool ForcePrompt() {
  return ReadRegString("HKEY_CURRENT_USER\\Software\\Brontale\\Velkor\\SpanDisk", "ForcePrompt", "0",
                       false) == "1";
}
