#include "package/byte_source.h"

#include <cstring>

size_t MemorySource::ReadAt(int64_t offset, void* buffer, size_t n) const {
  if (offset < 0 || uint64_t(offset) >= size_) return 0;
  size_t avail = size_ - size_t(offset);
  if (n > avail) n = avail;
  std::memcpy(buffer, data_ + offset, n);
  return n;
}

bool ReadExactly(const ByteSource& src, int64_t offset, size_t n, std::string* out) {
  out->clear();
  int64_t size = src.Size();
  if (offset < 0 || size < 0 || offset > size || uint64_t(size - offset) < n) return false;
  out->resize(n);
  if (n && src.ReadAt(offset, &(*out)[0], n) != n) {
    out->clear();
    return false;
  }
  return true;
}
