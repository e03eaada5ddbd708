#include "package/agent_file.h"

#include "package/package_reader.h"

bool ComposeAgentFile(const ByteSource& source, int64_t blocksEnd, const Trailer& sourceTrailer,
                      std::string* out) {
  out->clear();
  if (blocksEnd <= 0 || !ReadExactly(source, 0, size_t(blocksEnd), out)) return false;
  // The copy ends where its own trailer ends: clear the whole package end, not
  // only its low half, so that no stale high half can point elsewhere.
  if (out->size() >= size_t(layout::kPackageEndLow + 4)) {
    auto* p = reinterpret_cast<uint8_t*>(&(*out)[0]);
    WriteU32(p + layout::kPackageEndHigh, 0);
    WriteU32(p + layout::kPackageEndLow, 0);
  }
  Trailer t = sourceTrailer;
  t.ThisIs_AutoUpdateProg = 1;
  t.TrailerSize = layout::kTrailerSize;
  uint8_t bytes[layout::kTrailerSize];
  EncodeTrailer(t, bytes);
  out->append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return true;
}

void MakeWebDownloadAgentImage(std::string* image) {
  MemorySource src(*image);
  int64_t size = int64_t(image->size());
  int64_t end = PackageEnd(src);
  if (end != 0 && end < size && size - end < 10000) image->resize(size_t(end));
  if (image->size() > 5) (*image)[image->size() - 5] = 1;
}
