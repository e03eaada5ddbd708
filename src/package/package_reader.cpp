#include "package/package_reader.h"

#include <algorithm>
#include <cstring>

namespace {

bool ReadU32At(const ByteSource& src, int64_t offset, uint32_t* value) {
  uint8_t b[4];
  if (src.ReadAt(offset, b, 4) != 4) return false;
  *value = ReadU32(b);
  return true;
}

}  // namespace

Trailer DecodeTrailer(const uint8_t* bytes, size_t n) {
  uint8_t full[layout::kTrailerSize] = {};
  std::memcpy(full, bytes, std::min<size_t>(n, layout::kTrailerSize));
  Trailer t;
  t.reserved0 = full[0];
  t.PackageVersion = full[layout::kOffPackageVersion];
  t.reserved2[0] = full[2];
  t.reserved2[1] = full[3];
  t.BlocksOffset = ReadU32(full + layout::kOffBlocksOffset);
  t.FilesCount = ReadU32(full + layout::kOffFilesCount);
  t.Magic = ReadU32(full + layout::kOffMagic);
  t.Checksum = ReadU32(full + layout::kOffChecksum);
  std::memcpy(t.reserved20, full + 20, 8);
  for (int i = 0; i < layout::kClusterSlots; ++i)
    t.SpaceRequired[i] = ReadU32(full + layout::kOffSpaceRequired + 4 * i);
  t.reserved64 = full[64];
  t.Flags = full[layout::kOffFlags];
  t.WebDownload = full[layout::kOffWebDownload];
  t.ConfirmDownload = full[layout::kOffConfirmDownload];
  t.MakeAgentCopy = full[layout::kOffMakeAgentCopy];
  t.ThisIs_AutoUpdateProg = full[layout::kOffThisIsAutoUpdateProg];
  t.TrailerSize = ReadU32(full + layout::kOffTrailerSize);
  return t;
}

void EncodeTrailer(const Trailer& t, uint8_t out[layout::kTrailerSize]) {
  std::memset(out, 0, layout::kTrailerSize);
  out[0] = t.reserved0;
  out[layout::kOffPackageVersion] = t.PackageVersion;
  out[2] = t.reserved2[0];
  out[3] = t.reserved2[1];
  WriteU32(out + layout::kOffBlocksOffset, t.BlocksOffset);
  WriteU32(out + layout::kOffFilesCount, t.FilesCount);
  WriteU32(out + layout::kOffMagic, t.Magic);
  WriteU32(out + layout::kOffChecksum, t.Checksum);
  std::memcpy(out + 20, t.reserved20, 8);
  for (int i = 0; i < layout::kClusterSlots; ++i)
    WriteU32(out + layout::kOffSpaceRequired + 4 * i, t.SpaceRequired[i]);
  out[64] = t.reserved64;
  out[layout::kOffFlags] = t.Flags;
  out[layout::kOffWebDownload] = t.WebDownload;
  out[layout::kOffConfirmDownload] = t.ConfirmDownload;
  out[layout::kOffMakeAgentCopy] = t.MakeAgentCopy;
  out[layout::kOffThisIsAutoUpdateProg] = t.ThisIs_AutoUpdateProg;
  WriteU32(out + layout::kOffTrailerSize, t.TrailerSize);
}

bool IsExecutable(const ByteSource& src) {
  char mz[2], pe[2];
  return src.ReadAt(0, mz, 2) == 2 && mz[0] == 'M' && mz[1] == 'Z' &&
         src.ReadAt(layout::kPeOffset, pe, 2) == 2 && pe[0] == 'P' && pe[1] == 'E';
}

int64_t PackageEnd(const ByteSource& src) {
  uint32_t high = 0, low = 0;
  if (!ReadU32At(src, layout::kPackageEndHigh, &high) ||
      !ReadU32At(src, layout::kPackageEndLow, &low))
    return 0;
  // A high half this large is no offset any file here can have; reading it as
  // one would overflow the signed position.
  if (high > 0x7FFFFFFF) return 0;
  return int64_t(uint64_t(high) << 32 | low);
}

int64_t PackageDataEnd(const ByteSource& src) {
  int64_t size = std::max<int64_t>(src.Size(), 0);
  if (IsExecutable(src)) {
    int64_t end = PackageEnd(src);
    if (end != 0) return end;
  }
  return size;
}

Trailer ReadTrailer(const ByteSource& src) {
  Trailer t;
  int64_t end = PackageDataEnd(src);
  uint32_t stored = 0;  // stays 0 when the file is shorter than 4 bytes
  ReadU32At(src, end - 4, &stored);
  // Signed arithmetic throughout: min(74, S) - 4 and end - S go below zero for
  // small or huge stored sizes; such a trailer reads as nothing.
  int64_t size = std::min<int64_t>(layout::kTrailerSize, int64_t(stored));
  int64_t start = end - int64_t(stored);
  uint8_t bytes[layout::kTrailerSize] = {};
  if (size > 4 && start >= 0) {
    size_t got = src.ReadAt(start, bytes, size_t(size - 4));
    t = DecodeTrailer(bytes, got);
  }
  t.TrailerSize = uint32_t(size);
  if (t.PackageVersion == 0) t.PackageVersion = 2;
  return t;
}

uint32_t FileChecksum(const ByteSource& src, int64_t tailLength) {
  int64_t r = src.Size();
  if (r < 0) return 0;
  if (r > layout::kChecksumLimit) return layout::kNoChecksum;
  uint32_t sum = 0;
  uint32_t m = 0;
  if (IsExecutable(src)) ReadU32At(src, layout::kPackageEndLow, &m);
  if (m != 0) r = m;
  r -= tailLength;
  int64_t pos = 0;
  if (m != 0) {
    r -= 512;
    pos = 512;
  }
  uint8_t buf[4096];
  for (;;) {
    size_t got = src.ReadAt(pos, buf, sizeof buf);
    pos += int64_t(got);
    for (size_t i = 0; i + 4 <= got; i += 4) {
      r -= 4;
      if (r > 4) sum += ReadU32(buf + i);
    }
    if (r > 4) sum += layout::kNoChecksum;
    if (got < sizeof buf) break;
  }
  return sum;
}

bool ChecksumAccepted(uint32_t computed, uint32_t stored) {
  return computed == stored || computed == layout::kNoChecksum || stored == layout::kNoChecksum;
}

uint32_t SpaceRequiredFor(const Trailer& t, uint64_t clusterSize) {
  uint32_t result = t.SpaceRequired[0];
  for (int i = 1; i < layout::kClusterSlots; ++i)
    if (clusterSize >= (uint64_t(1) << (8 + i))) result = t.SpaceRequired[i];
  return result;
}

HeaderBlocks ReadHeaderBlocks(const ByteSource& src, const Trailer& t) {
  HeaderBlocks blocks;
  std::string* targets[3] = {&blocks.strings, &blocks.options, &blocks.download};
  int count = t.PackageVersion > 2 ? 3 : 2;
  int64_t end = PackageDataEnd(src);
  int64_t pos = t.BlocksOffset;
  for (int i = 0; i < count; ++i) {
    uint32_t raw = 0;
    if (pos + 4 > end || !ReadU32At(src, pos, &raw)) break;
    int64_t length = int32_t(raw);
    // A length that is negative or runs past the package is no block: stop
    // here rather than allocate by it or read into the next file.
    if (length < 0 || length > end - pos - 4) break;
    if (!ReadExactly(src, pos + 4, size_t(length), targets[i])) break;
    pos += 4 + length;
    blocks.end = pos;
  }
  return blocks;
}
