// mksetup's files on disk: output sinks, volume files, the extraction folder
// and DOS date-times. C stdio with 64-bit offsets, for Linux and Windows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "env/text.h"  // PackDosTime
#include "package/writer.h"
#include "setup/extract.h"

// "YYYY-MM-DD HH:MM:SS", or "" when the stamp is no valid date-time.
std::string FormatDosTime(uint32_t stamp);
// Parses the form above; 0 when malformed.
uint32_t ParseDosTime(const std::string& text);
// The file's modification time as a DOS date-time (local time, seconds
// rounded down to even); 0 when it cannot be read.
uint32_t FileDosTime(const std::string& path);
// Sets a file's modification time from a DOS date-time (local time).
bool SetFileDosTime(const std::string& path, uint32_t stamp);

int64_t FileSize(const std::string& path);  // -1 when missing
bool IsDirectory(const std::string& path);
// True when the folder is missing or holds nothing.
bool IsEmptyDirectory(const std::string& path);
// Creates the folder with its missing parents.
bool MakeDirectories(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
std::string FolderOfPath(const std::string& path);  // "" for a bare name
std::string ErrnoText();

// An output file opened for writing and reading back.
class StdioSink : public ByteSink {
 public:
  explicit StdioSink(const std::string& path);
  ~StdioSink() override;
  bool is_open() const { return file_ != nullptr; }
  int64_t Size() const override { return size_; }
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override;
  bool Append(const void* data, size_t n) override;
  bool WriteAt(int64_t offset, const void* data, size_t n) override;
  bool Finish() override;
  std::string LastError() const override { return path_ + ": " + error_; }

 private:
  bool Seek(int64_t offset) const;
  bool Fail() const;
  std::string path_;
  FILE* file_ = nullptr;
  int64_t size_ = 0;
  mutable bool at_end_ = true;
  mutable std::string error_;
};

// Writes each volume as "<name>.partial" and renames all of them once the
// whole set is written, so that a failed build replaces no earlier file and
// leaves no half-written one.
class DiskVolumeSinks : public VolumeSinks {
 public:
  DiskVolumeSinks(std::string path, bool spannedCd) : path_(std::move(path)), spanned_(spannedCd) {}
  ~DiskVolumeSinks() override;  // removes partial files unless committed
  std::unique_ptr<ByteSink> Open(int index, std::string* error) override;
  bool Commit(std::string* error);
  const std::vector<std::string>& names() const { return finals_; }

 private:
  std::string path_;
  bool spanned_;
  bool committed_ = false;
  std::vector<std::string> finals_;
};

// Volume files by path, read through FileSource.
class DiskVolumes : public VolumeSource {
 public:
  bool Exists(const std::string& path) override;
  std::unique_ptr<ByteSource> Open(const std::string& path) override;
};

// Extraction into a folder on disk.
class DiskTarget : public ExtractTarget {
 public:
  explicit DiskTarget(std::string folder) : folder_(std::move(folder)) {}
  ~DiskTarget() override;
  std::string Folder() const override { return folder_; }
  std::string PathOf(const std::string& name) const override { return JoinPath(folder_, name); }
  bool MakeFolder() override { return MakeDirectories(folder_); }
  bool Exists(const std::string& name) override;
  bool Open(const std::string& name, bool replace) override;
  bool Write(const void* data, size_t n) override;
  bool Close(uint32_t stamp) override;
  void CopyFileTime(const std::string& name, const std::string& path) override;
  const std::string& last_error() const { return error_; }

 private:
  std::string folder_;
  std::string open_path_;
  FILE* file_ = nullptr;
  std::string error_;
};
