#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "env/file_source.h"

FileSource::FileSource(const std::string& path) : handle_(-1) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return;
  }
  handle_ = fd;
  size_ = int64_t(st.st_size);
}

FileSource::~FileSource() {
  if (handle_ >= 0) ::close(int(handle_));
}

bool FileSource::is_open() const { return handle_ >= 0; }
int64_t FileSource::Size() const { return size_; }

size_t FileSource::ReadAt(int64_t offset, void* buffer, size_t n) const {
  if (handle_ < 0 || offset < 0) return 0;
  size_t done = 0;
  while (done < n) {
    ssize_t got = ::pread(int(handle_), static_cast<char*>(buffer) + done, n - done,
                          off_t(offset + int64_t(done)));
    if (got <= 0) break;
    done += size_t(got);
  }
  return done;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
