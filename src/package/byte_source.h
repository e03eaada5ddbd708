// Random-access reading of a file's bytes, so that the package rules run on a
// Win32 handle in the stub, on a POSIX file in mksetup and on memory in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Size in bytes; -1 when unknown (treated as empty by every reader).
  virtual int64_t Size() const = 0;
  // Reads up to n bytes at offset; returns the count read (0 past the end or
  // for a negative offset). Never reads past the end.
  virtual size_t ReadAt(int64_t offset, void* buffer, size_t n) const = 0;
};

// A source over bytes held by the caller (which must outlive it).
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::string& bytes) : data_(bytes.data()), size_(bytes.size()) {}
  MemorySource(const void* data, size_t size) : data_(static_cast<const char*>(data)), size_(size) {}
  int64_t Size() const override { return int64_t(size_); }
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override;

 private:
  const char* data_;
  size_t size_;
};

// Reads exactly n bytes at offset into out; false (and out empty) when the
// source holds fewer. n is checked against the source size before allocating.
bool ReadExactly(const ByteSource& src, int64_t offset, size_t n, std::string* out);
