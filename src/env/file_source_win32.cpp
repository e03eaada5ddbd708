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
  size_t done = 0;
  while (done < n) {
    // Positioned reads through OVERLAPPED offsets: no shared file pointer to
    // keep in step, and 64-bit offsets on a 32-bit process.
    OVERLAPPED ov = {};
    uint64_t at = uint64_t(offset) + done;
    ov.Offset = DWORD(at);
    ov.OffsetHigh = DWORD(at >> 32);
    DWORD want = DWORD(n - done > 0x10000000 ? 0x10000000 : n - done);
    DWORD got = 0;
    if (!ReadFile(AsHandle(handle_), static_cast<char*>(buffer) + done, want, &got, &ov) ||
        got == 0)
      break;
    done += got;
  }
  return done;
}

bool FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}
