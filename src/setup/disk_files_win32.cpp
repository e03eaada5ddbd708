#include <windows.h>

#include "env/file_source.h"
#include "env/files.h"
#include "setup/disk_files.h"

bool DiskVolumeFiles::Exists(const std::string& path) { return FileExists(path); }

std::unique_ptr<ByteSource> DiskVolumeFiles::Open(const std::string& path) {
  std::unique_ptr<FileSource> file(new FileSource(path));
  if (!file->is_open()) return nullptr;
  return std::unique_ptr<ByteSource>(file.release());
}

DiskFolderTarget::DiskFolderTarget(const std::string& folder)
    : folder_(SetTrailingBackslash(folder, false)), file_(INVALID_HANDLE_VALUE) {}

DiskFolderTarget::~DiskFolderTarget() { Close(0); }

std::string DiskFolderTarget::PathOf(const std::string& name) const {
  return SetTrailingBackslash(folder_, true) + name;
}

bool DiskFolderTarget::MakeFolder() { return MakeFolders(folder_); }

bool DiskFolderTarget::Exists(const std::string& name) {
  return GetFileAttributesA(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DiskFolderTarget::Open(const std::string& name, bool replace) {
  Close(0);
  HANDLE h = CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         replace ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (!replace && Seek64(h, 2, 0) < 0) {
    CloseHandle(h);
    return false;
  }
  file_ = h;
  return true;
}

bool DiskFolderTarget::Write(const void* data, size_t n) {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    DWORD wrote = 0;
    const DWORD want = n > 0x100000 ? 0x100000 : DWORD(n);
    if (!WriteFile(file_, p, want, &wrote, nullptr) || wrote == 0) return false;
    p += wrote;
    n -= wrote;
  }
  return true;
}

bool DiskFolderTarget::Close(uint32_t stamp) {
  if (file_ == INVALID_HANDLE_VALUE) return true;
  // A stamp that is no valid date leaves the time of writing; the file
  // itself is fine.
  if (stamp != 0) {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(WORD(stamp >> 16), WORD(stamp & 0xFFFF), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
      SetFileTime(file_, nullptr, nullptr, &utc);
  }
  const bool ok = CloseHandle(file_) != FALSE;
  file_ = INVALID_HANDLE_VALUE;
  return ok;
}

void DiskFolderTarget::CopyFileTime(const std::string& name, const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA source;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &source)) return;
  HANDLE h = CreateFileA(PathOf(name).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  SetFileTime(h, nullptr, nullptr, &source.ftLastWriteTime);
  CloseHandle(h);
}
