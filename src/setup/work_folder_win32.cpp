#include <windows.h>

#include "env/files.h"
#include "env/folders.h"
#include "env/switches.h"
#include "setup/work_folder.h"

namespace {

std::string g_workFolder;

// The packed DOS date-time of a file's last write, in local time; 0 when the
// file cannot be asked.
uint32_t FileDosStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return 0;
  return uint32_t(date) << 16 | time;
}

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and every missing parent.
bool MakeFolders(const std::string& path) {
  const std::string folder = SetTrailingBackslash(path, false);
  if (folder.empty() || IsFolder(folder)) return !folder.empty();
  const std::string parent = FolderOfFile(folder);
  if (!parent.empty() && parent != folder && !IsFolder(parent)) MakeFolders(parent);
  return CreateDirectoryA(folder.c_str(), nullptr) || IsFolder(folder);
}

}  // namespace

std::string WorkFolder() {
  if (g_workFolder.empty()) {
    g_workFolder = WorkFolderName(GetTempDir(true), FileDosStamp(ProcessModulePath()));
    const std::string folder = SetTrailingBackslash(g_workFolder, false);
    DeleteTree(folder, true);
    MakeFolders(folder);
  }
  return g_workFolder;
}

bool WorkFolderChosen() { return !g_workFolder.empty(); }

bool DeleteWorkFolder() {
  const std::string folder = SetTrailingBackslash(WorkFolder(), false);
  DeleteTree(folder, true);
  return !IsFolder(folder);
}
