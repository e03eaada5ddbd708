#include <windows.h>

#include "env/files.h"
#include "env/switches.h"
#include "env/text.h"
#include "support/trace.h"

#ifndef IOCTL_STORAGE_EJECT_MEDIA
#define IOCTL_STORAGE_EJECT_MEDIA 0x2D4808
#endif

namespace {

// Owns one file handle; closed on destruction.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (ok()) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// Owns one find handle.
class FindHandle {
 public:
  FindHandle(const std::string& mask, WIN32_FIND_DATAA* data)
      : h_(FindFirstFileA(mask.c_str(), data)) {}
  ~FindHandle() {
    if (ok()) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA* data) { return FindNextFileA(h_, data) != FALSE; }

 private:
  HANDLE h_;
};

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenReadShared(const std::string& file) {
  return CreateFileA(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Write access with sharing; the file is created when it does not exist.
HANDLE OpenWriteShared(const std::string& file) {
  return CreateFileA(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateTruncated(const std::string& file) {
  return CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SetDosDate(HANDLE h, uint32_t stamp) {
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(WORD(stamp >> 16), WORD(stamp & 0xFFFF), &local)) return false;
  if (!LocalFileTimeToFileTime(&local, &utc)) return false;
  return SetFileTime(h, nullptr, nullptr, &utc) != FALSE;
}

size_t WriteToHandle(void* context, const char* data, size_t size) {
  DWORD wrote = 0;
  const DWORD want = size > 0x40000000 ? 0x40000000 : DWORD(size);
  if (!WriteFile(static_cast<HANDLE>(context), data, want, &wrote, nullptr)) return 0;
  return wrote;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDots(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Keeps the system from asking the user to insert a disk while a drive is
// probed; restores the previous mode on destruction.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietDriveErrors() { SetErrorMode(old_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT old_;
};

}  // namespace

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

int64_t Seek64(void* handle, int origin, int64_t offset) {
  static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (origin < 0 || origin > 2) return -1;
  LONG high = LONG(offset >> 32);
  SetLastError(NO_ERROR);
  const DWORD low = SetFilePointer(static_cast<HANDLE>(handle), LONG(uint32_t(offset)), &high,
                                   kMethods[origin]);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  return int64_t((uint64_t(uint32_t(high)) << 32) | low);
}

int64_t FileSize64(void* handle) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = GetFileSize(static_cast<HANDLE>(handle), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return int64_t((uint64_t(high) << 32) | low);
}

int64_t FileSizeByName(const std::string& name) {
  WIN32_FIND_DATAA fd;
  FindHandle find(name, &fd);
  if (!find.ok()) return 0;
  return int64_t((uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
}

std::string ReadFilePart(const std::string& file, int64_t limit, int64_t offset) {
  std::string result;
  if (!Exists(file)) return result;
  FileHandle h(OpenReadShared(file));
  if (!h.ok()) return result;
  const int64_t size = FileSize64(h.get());
  int64_t count = size - offset;
  if (limit != 0 && limit < count) count = limit;
  if (offset < 0 || offset >= size || count <= 0 || count > kMaxReadPart) return result;
  if (Seek64(h.get(), 0, offset) != offset) return result;
  result.resize(size_t(count));
  size_t done = 0;
  while (done < result.size()) {
    DWORD got = 0;
    const DWORD want = DWORD(result.size() - done);
    if (!ReadFile(h.get(), &result[done], want, &got, nullptr) || got == 0) break;
    done += got;
  }
  if (done != result.size()) result.clear();
  return result;
}

bool WriteFileText(const std::string& file, const std::string& bytes, uint32_t dateStamp,
                   bool append, const WriteProgress* progress) {
  FileHandle h(append ? OpenWriteShared(file) : CreateTruncated(file));
  if (!h.ok()) return false;
  if (append && Seek64(h.get(), 2, 0) < 0) return false;
  const bool ok = WriteChunked(bytes, WriteToHandle, h.get(), progress);
  if (ok && dateStamp != 0) SetDosDate(h.get(), dateStamp);
  return ok;
}

bool AppendText(const std::string& file, const std::string& bytes, uint32_t dateStamp) {
  return WriteFileText(file, bytes, dateStamp, true, nullptr);
}

double GetDiskFree(const std::string& path) {
  using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                              PULARGE_INTEGER);
  static const GetDiskFreeSpaceExFn getEx = reinterpret_cast<GetDiskFreeSpaceExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                             "GetDiskFreeSpaceExA")));
  const std::string root = DiskFreeRoot(path, getEx != nullptr);
  if (root.empty()) return -1;
  QuietDriveErrors quiet;
  const std::string drive = DriveRoot(ReplaceChar(path, '/', '\\'));
  if (getEx) {
    ULARGE_INTEGER available, total, free;
    if (getEx(root.c_str(), &available, &total, &free) ||
        getEx(drive.c_str(), &available, &total, &free)) {
      return double(available.QuadPart);
    }
    return -1;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(drive.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters)) {
    return -1;
  }
  return double(sectorsPerCluster) * double(bytesPerSector) * double(freeClusters);
}

bool DeleteFiles(const std::string& mask, bool clearAttributes) {
  WIN32_FIND_DATAA fd;
  FindHandle find(mask, &fd);
  if (!find.ok()) return false;
  const std::string folder = FolderOfFile(mask);
  const std::string prefix = folder.empty() ? std::string() : SetTrailingBackslash(folder, true);
  bool matched = false;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    matched = true;
    const std::string file = prefix + fd.cFileName;
    if (clearAttributes) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  } while (find.Next(&fd));
  return matched;
}

bool DeleteTree(const std::string& folder, bool clearAttributes) {
  if (folder.empty()) return false;
  const std::string dir = SetTrailingBackslash(folder, false);
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  // A junction or symbolic link is removed as a link: following it would
  // delete another folder's content.
  if (!existed || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    DeleteFiles(dir + "\\*.*", clearAttributes);
    WIN32_FIND_DATAA fd;
    FindHandle find(dir + "\\*.*", &fd);
    if (find.ok()) {
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(fd.cFileName)) continue;
        const std::string sub = dir + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          if (clearAttributes) SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_NORMAL);
          RemoveDirectoryA(sub.c_str());
        } else {
          DeleteTree(sub, clearAttributes);
        }
      } while (find.Next(&fd));
    }
  }
  if (clearAttributes) SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(dir.c_str());
  return existed && !Exists(dir);
}

bool DeleteMySelf(bool removeFolder) {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH, buf);
  if (n == 0 || n > MAX_PATH) return false;
  const std::string temp(buf, n);
  const std::string batch = SetTrailingBackslash(temp, true) + kSelfDeleteBatchName;
  const std::string program = ProcessModulePath();
  // Leave the program's folder, so that it is not in use when RD runs.
  SetCurrentDirectoryA(SetTrailingBackslash(temp, false).c_str());
  const std::string text = SelfDeleteBatchText(program, FolderOfFile(program), batch, removeFolder);
  if (!WriteFileText(batch, text, 0, false)) return false;
  // Quoted: the temporary folder may hold blanks.
  return WinExec(("\"" + batch + "\"").c_str(), SW_HIDE) > 31;
}

bool EjectCD(const std::string& drive) {
  if (drive.empty()) return false;
  const char letter = UpperChar(drive[0]);
  if (letter < 'A' || letter > 'Z') return false;
  const std::string root = std::string(1, letter) + ":\\";
  if (GetDriveTypeA(root.c_str()) != DRIVE_CDROM) return false;
  const std::string device = std::string("\\\\.\\") + letter + ":";
  HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  TraceLine("EjectCD-2: " + device + " " + IntToText(int64_t(reinterpret_cast<intptr_t>(h))));
  if (h == INVALID_HANDLE_VALUE) {
    h = CreateFileA(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  TraceLine("EjectCD-3: " + device + " " + IntToText(int64_t(reinterpret_cast<intptr_t>(h))));
  FileHandle device_handle(h);
  if (!device_handle.ok()) return false;
  DWORD returned = 0;
  return DeviceIoControl(h, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned,
                         nullptr) != FALSE;
}

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string& path) {
  const std::string folder = SetTrailingBackslash(path, false);
  if (folder.empty() || IsFolder(folder)) return !folder.empty();
  const std::string parent = FolderOfFile(folder);
  if (!parent.empty() && parent != folder && !IsFolder(parent)) MakeFolders(parent);
  return CreateDirectoryA(folder.c_str(), nullptr) || IsFolder(folder);
}

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
