// The extraction's volume files and destination folder on disk (Windows
// builds): volumes read with sharing allowed, files written in 64 KiB pieces
// with the date stamps of their chunks.
#pragma once

#include <string>

#include "setup/extract.h"

class DiskVolumeFiles : public VolumeSource {
 public:
  bool Exists(const std::string& path) override;
  std::unique_ptr<ByteSource> Open(const std::string& path) override;
};

class DiskFolderTarget : public ExtractTarget {
 public:
  explicit DiskFolderTarget(const std::string& folder);
  ~DiskFolderTarget() override;
  DiskFolderTarget(const DiskFolderTarget&) = delete;
  DiskFolderTarget& operator=(const DiskFolderTarget&) = delete;

  std::string Folder() const override { return folder_; }
  std::string PathOf(const std::string& name) const override;
  bool MakeFolder() override;
  bool Exists(const std::string& name) override;
  bool Open(const std::string& name, bool replace) override;
  bool Write(const void* data, size_t n) override;
  bool Close(uint32_t stamp) override;
  void CopyFileTime(const std::string& name, const std::string& path) override;

 private:
  std::string folder_;  // without a trailing "\"
  void* file_;          // the open file's handle, or INVALID_HANDLE_VALUE
};
