#include "disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "env/file_source.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <sys/utime.h>
#define fseek64 _fseeki64
using stat_t = struct _stat64;
static int Stat(const std::string& p, stat_t* st) { return _stat64(p.c_str(), st); }
static int MakeDir(const std::string& p) { return _mkdir(p.c_str()); }
static const char kSeparator = '\\';
#else
#include <dirent.h>
#include <unistd.h>
#include <utime.h>
#define fseek64 fseeko
using stat_t = struct stat;
static int Stat(const std::string& p, stat_t* st) { return ::stat(p.c_str(), st); }
static int MakeDir(const std::string& p) { return ::mkdir(p.c_str(), 0777); }
static const char kSeparator = '/';
#endif

std::string ErrnoText() { return std::strerror(errno); }

namespace {

bool UnpackDosTime(uint32_t stamp, struct tm* out) {
  std::memset(out, 0, sizeof *out);
  uint32_t date = stamp >> 16, time = stamp & 0xFFFF;
  out->tm_year = int(date >> 9) + 80;
  out->tm_mon = int((date >> 5) & 15) - 1;
  out->tm_mday = int(date & 31);
  out->tm_hour = int(time >> 11);
  out->tm_min = int((time >> 5) & 63);
  out->tm_sec = int(time & 31) * 2;
  out->tm_isdst = -1;
  return PackDosTime(out->tm_year + 1900, out->tm_mon + 1, out->tm_mday, out->tm_hour,
                     out->tm_min, out->tm_sec) == stamp;
}

}  // namespace

std::string FormatDosTime(uint32_t stamp) {
  struct tm t;
  if (!stamp || !UnpackDosTime(stamp, &t)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

uint32_t ParseDosTime(const std::string& text) {
  int y, mo, d, h, mi, s;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return 0;
  return PackDosTime(y, mo, d, h, mi, s);
}

uint32_t FileDosTime(const std::string& path) {
  stat_t st;
  if (Stat(path, &st) != 0) return 0;
  time_t when = time_t(st.st_mtime);
  struct tm t;
#ifdef _WIN32
  if (localtime_s(&t, &when) != 0) return 0;
#else
  if (!localtime_r(&when, &t)) return 0;
#endif
  return PackDosTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                     t.tm_sec & ~1);
}

bool SetFileDosTime(const std::string& path, uint32_t stamp) {
  struct tm t;
  if (!UnpackDosTime(stamp, &t)) return false;
  time_t when = std::mktime(&t);
  if (when == time_t(-1)) return false;
#ifdef _WIN32
  struct __utimbuf64 times = {when, when};
  return _utime64(path.c_str(), &times) == 0;
#else
  struct utimbuf times = {when, when};
  return ::utime(path.c_str(), &times) == 0;
#endif
}

int64_t FileSize(const std::string& path) {
  stat_t st;
  if (Stat(path, &st) != 0 || (st.st_mode & S_IFMT) != S_IFREG) return -1;
  return int64_t(st.st_size);
}

bool IsDirectory(const std::string& path) {
  stat_t st;
  return Stat(path, &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool IsEmptyDirectory(const std::string& path) {
  if (!IsDirectory(path)) return true;
#ifdef _WIN32
  struct _finddata_t found;
  intptr_t h = _findfirst(JoinPath(path, "*").c_str(), &found);
  if (h == -1) return true;
  bool empty = true;
  do {
    if (std::strcmp(found.name, ".") && std::strcmp(found.name, "..")) empty = false;
  } while (empty && _findnext(h, &found) == 0);
  _findclose(h);
  return empty;
#else
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return false;
  bool empty = true;
  while (struct dirent* e = ::readdir(dir))
    if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) {
      empty = false;
      break;
    }
  ::closedir(dir);
  return empty;
#endif
}

bool MakeDirectories(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return true;
  std::string parent = FolderOfPath(path);
  bool driveOnly = parent.size() == 2 && parent[1] == ':';  // "C:" needs no making
  if (!parent.empty() && parent != path && !driveOnly && !MakeDirectories(parent)) return false;
  return MakeDir(path) == 0 || IsDirectory(path);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + kSeparator + name;
}

std::string FolderOfPath(const std::string& path) {
  size_t slash = path.find_last_of(kSeparator == '/' ? "/" : "\\/");
  if (slash == std::string::npos) return "";
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

// ---- StdioSink ----

StdioSink::StdioSink(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "w+b");
  if (!file_) error_ = ErrnoText();
}

StdioSink::~StdioSink() {
  if (file_) std::fclose(file_);
}

bool StdioSink::Fail() const {
  error_ = ErrnoText();
  return false;
}

bool StdioSink::Seek(int64_t offset) const {
  at_end_ = offset == size_;
  return fseek64(file_, offset, SEEK_SET) == 0 || Fail();
}

size_t StdioSink::ReadAt(int64_t offset, void* buffer, size_t n) const {
  if (!file_ || offset < 0 || offset >= size_) return 0;
  if (int64_t(n) > size_ - offset) n = size_t(size_ - offset);
  // Switching from writing to reading needs a positioning call in between.
  if (std::fflush(file_) != 0 || !Seek(offset)) return 0;
  at_end_ = false;
  return std::fread(buffer, 1, n, file_);
}

bool StdioSink::Append(const void* data, size_t n) {
  if (!file_) return false;
  if (!at_end_ && !Seek(size_)) return false;
  if (n && std::fwrite(data, 1, n, file_) != n) return Fail();
  size_ += int64_t(n);
  return true;
}

bool StdioSink::WriteAt(int64_t offset, const void* data, size_t n) {
  if (!file_ || offset < 0 || offset > size_ || size_ - offset < int64_t(n)) return false;
  if (!Seek(offset)) return false;
  at_end_ = false;
  if (n && std::fwrite(data, 1, n, file_) != n) return Fail();
  return true;
}

bool StdioSink::Finish() {
  if (!file_) return false;
  bool ok = std::fflush(file_) == 0;
  if (!ok) error_ = ErrnoText();
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    error_ = ErrnoText();
  }
  file_ = nullptr;
  return ok;
}

// ---- DiskVolumeSinks ----

DiskVolumeSinks::~DiskVolumeSinks() {
  if (committed_) return;
  for (const std::string& name : finals_) std::remove((name + ".partial").c_str());
}

std::unique_ptr<ByteSink> DiskVolumeSinks::Open(int index, std::string* error) {
  std::string name = VolumeFileName(path_, index, spanned_);
  finals_.push_back(name);
  std::unique_ptr<StdioSink> sink(new StdioSink(name + ".partial"));
  if (!sink->is_open()) {
    *error = "cannot create " + name + ": " + ErrnoText();
    return nullptr;
  }
  return std::unique_ptr<ByteSink>(sink.release());
}

bool DiskVolumeSinks::Commit(std::string* error) {
  for (const std::string& name : finals_) {
#ifdef _WIN32
    std::remove(name.c_str());  // rename does not replace on Windows
#endif
    if (std::rename((name + ".partial").c_str(), name.c_str()) != 0) {
      *error = "cannot rename " + name + ".partial: " + ErrnoText();
      return false;
    }
  }
  committed_ = true;
  return true;
}

// ---- DiskVolumes ----

bool DiskVolumes::Exists(const std::string& path) { return FileExists(path); }

std::unique_ptr<ByteSource> DiskVolumes::Open(const std::string& path) {
  std::unique_ptr<FileSource> file(new FileSource(path));
  if (!file->is_open()) return nullptr;
  return std::unique_ptr<ByteSource>(file.release());
}

// ---- DiskTarget ----

DiskTarget::~DiskTarget() {
  if (file_) std::fclose(file_);
}

bool DiskTarget::Exists(const std::string& name) { return FileSize(PathOf(name)) >= 0; }

bool DiskTarget::Open(const std::string& name, bool replace) {
  open_path_ = PathOf(name);
  file_ = std::fopen(open_path_.c_str(), replace ? "wb" : "ab");
  if (!file_) error_ = open_path_ + ": " + ErrnoText();
  return file_ != nullptr;
}

bool DiskTarget::Write(const void* data, size_t n) {
  if (!file_) return false;
  if (std::fwrite(data, 1, n, file_) == n) return true;
  error_ = open_path_ + ": " + ErrnoText();
  return false;
}

bool DiskTarget::Close(uint32_t stamp) {
  if (!file_) return false;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok) error_ = open_path_ + ": " + ErrnoText();
  if (ok && stamp) SetFileDosTime(open_path_, stamp);
  return ok;
}

void DiskTarget::CopyFileTime(const std::string& name, const std::string& path) {
  stat_t st;
  if (Stat(path, &st) != 0) return;
#ifdef _WIN32
  time_t when = time_t(st.st_mtime);
  struct __utimbuf64 times = {when, when};
  _utime64(PathOf(name).c_str(), &times);
#else
  // To the nanosecond, as the stub copies the whole file time.
  const struct timespec times[2] = {st.st_mtim, st.st_mtim};
  ::utimensat(AT_FDCWD, PathOf(name).c_str(), times, 0);
#endif
}
