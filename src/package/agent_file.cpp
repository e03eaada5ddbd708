#include "package/agent_file.h"

#include <algorithm>

#include "package/package_reader.h"

bool StreamAgentFile(const ByteSource& source, int64_t blocksEnd, const Trailer& sourceTrailer,
                     std::vector<uint8_t>* buffer, AgentFileSink sink, void* context) {
  if (blocksEnd <= 0 || source.Size() < blocksEnd || buffer->empty()) return false;
  for (int64_t at = 0; at < blocksEnd;) {
    size_t want = size_t(std::min<int64_t>(int64_t(buffer->size()), blocksEnd - at));
    if (source.ReadAt(at, buffer->data(), want) != want) return false;
    // The copy ends where its own trailer ends: clear the whole package end,
    // not only its low half, so that no stale high half can point elsewhere.
    for (int64_t i = layout::kPackageEndHigh; i < layout::kPackageEndLow + 4; ++i)
      if (i >= at && i < at + int64_t(want)) (*buffer)[size_t(i - at)] = 0;
    if (!sink(buffer->data(), want, context)) return false;
    at += int64_t(want);
  }
  Trailer t = sourceTrailer;
  t.ThisIs_AutoUpdateProg = 1;
  t.TrailerSize = layout::kTrailerSize;
  uint8_t bytes[layout::kTrailerSize];
  EncodeTrailer(t, bytes);
  return sink(bytes, sizeof bytes, context);
}

bool ComposeAgentFile(const ByteSource& source, int64_t blocksEnd, const Trailer& sourceTrailer,
                      std::string* out) {
  out->clear();
  std::vector<uint8_t> buffer(64 * 1024);
  auto append = [](const uint8_t* data, size_t size, void* context) {
    static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), size);
    return true;
  };
  if (StreamAgentFile(source, blocksEnd, sourceTrailer, &buffer, append, out)) return true;
  out->clear();
  return false;
}

void MakeWebDownloadAgentImage(std::string* image) {
  MemorySource src(*image);
  int64_t size = int64_t(image->size());
  int64_t end = PackageEnd(src);
  if (end != 0 && end < size && size - end < 10000) image->resize(size_t(end));
  if (image->size() > 5) (*image)[image->size() - 5] = 1;
}
