// A ByteSource over a file on disk, opened for reading with sharing allowed
// (Win32: deny none; POSIX: a plain read-only open). RAII: closed on
// destruction. One interface, a POSIX and a Win32 backend.
#pragma once

#include <cstdint>
#include <string>

#include "package/byte_source.h"

class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool is_open() const;
  int64_t Size() const override;  // -1 when not open
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override;

 private:
  intptr_t handle_;  // HANDLE or file descriptor; -1 when not open
  int64_t size_ = -1;
  [[maybe_unused]] mutable int64_t position_ = -1;  // Win32: where the file pointer stands; -1 unknown
};

bool FileExists(const std::string& path);
