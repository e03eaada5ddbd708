#include <windows.h>

#include "env/file_source.h"

namespace {
HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

FileSource::FileSource(const std::string& path) : handle_(-1) {
  // Deny none: the running setup file is open for execution, and a volume may
  // be read while another process holds it.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return;
  }
  handle_ = reinterpret_cast<intptr_t>(h);
  size_ = size.QuadPart;
}

FileSource::~FileSource() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

bool FileSource::is_open() const { return handle_ != -1; }
int64_t FileSource::Size() const { return size_; }

size_t FileSource::ReadAt(int64_t offset, void* buffer, size_t n) const {
  if (handle_ == -1 || offset < 0) return 0;
  // Through the file pointer, moved only when a read does not follow the last
  // one: reads of a chunk come one after the other, and under Wine an
  // OVERLAPPED offset costs a server request more on every read.
  if (offset != position_) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN)) {
      position_ = -1;
      return 0;
    }
    position_ = offset;
  }
  size_t done = 0;
  while (done < n) {
    DWORD want = DWORD(n - done > 0x10000000 ? 0x10000000 : n - done);
    DWORD got = 0;
    if (!ReadFile(AsHandle(handle_), static_cast<char*>(buffer) + done, want, &got, nullptr)) {
      position_ = -1;  // where a failed read left the pointer is not known
      return done;
    }
    if (got == 0) break;
    done += got;
  }
  position_ = offset + int64_t(done);
  return done;
}

bool FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}
