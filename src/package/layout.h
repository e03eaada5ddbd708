// The on-disk layout of a setup file, shared by the stub (reader) and mksetup
// (writer). All integers are little-endian; offsets are from the file start.
//
//   0            +------------------------------------------+
//                | stub image  "MZ" ... "PE" at 0x100       |
//   0xF8, 0xFC   |   package end (u32 high, u32 low) in the |
//                |   DOS stub area; 0 = ends at file end    |
//   BlocksOffset +------------------------------------------+
//                | header blocks: PackageVersion of         |
//                |   { i32 length, bytes }                  |
//                |   1 strings, 2 options, 3 download       |
//                +------------------------------------------+
//                | file chunks: { i32 L, |L| bytes }        |
//                |   L > 0 zlib stream, L <= 0 stored       |
//                +------------------------------------------+
//   end - size   | trailer (74 bytes; last u32 = its size)  |
//   package end  +------------------------------------------+
//                | anything else (e.g. a signature)         |
//
// A chunk's content is "|name|stamp|", NUL, then the file bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace layout {

constexpr uint32_t kMagic = 0x4A3B2C1D;
constexpr uint32_t kNoChecksum = 1234;   // stored or computed: not compared
constexpr uint32_t kTrailerSize = 74;
constexpr int64_t kChecksumLimit = 51200;  // larger files are never summed
constexpr int64_t kPeOffset = 0x100;
constexpr int64_t kPackageEndHigh = 0xF8;
constexpr int64_t kPackageEndLow = 0xFC;
constexpr int kClusterSlots = 9;  // SpaceRequired: exact, then 512 .. 65536

// Trailer field offsets.
constexpr size_t kOffPackageVersion = 1;
constexpr size_t kOffBlocksOffset = 4;
constexpr size_t kOffFilesCount = 8;
constexpr size_t kOffMagic = 12;
constexpr size_t kOffChecksum = 16;
constexpr size_t kOffSpaceRequired = 28;
constexpr size_t kOffFlags = 65;
constexpr size_t kOffWebDownload = 66;
constexpr size_t kOffConfirmDownload = 67;
constexpr size_t kOffMakeAgentCopy = 68;
constexpr size_t kOffThisIsAutoUpdateProg = 69;
constexpr size_t kOffTrailerSize = 70;
static_assert(kOffSpaceRequired + 4 * kClusterSlots == 64, "SpaceRequired ends at +64");
static_assert(kOffTrailerSize + 4 == kTrailerSize, "size field closes the trailer");

// Bits of Flags.
enum FlagBits : uint8_t {
  kShowTempDriveNotice = 0x01,
  kMultiVolume = 0x02,
  kSpannedCd = 0x04,
  kShowActivityBar = 0x08,
  kLogFile = 0x10,
};

}  // namespace layout

// The 74-byte package trailer as a record. Unnamed bytes are kept so that a
// trailer read and written again is byte-for-byte the same.
struct Trailer {
  uint8_t reserved0 = 0;
  uint8_t PackageVersion = 0;
  uint8_t reserved2[2] = {0, 0};
  uint32_t BlocksOffset = 0;
  uint32_t FilesCount = 0;
  uint32_t Magic = 0;
  uint32_t Checksum = 0;
  uint8_t reserved20[8] = {};
  uint32_t SpaceRequired[layout::kClusterSlots] = {};
  uint8_t reserved64 = 0;
  uint8_t Flags = 0;
  uint8_t WebDownload = 0;
  uint8_t ConfirmDownload = 0;
  uint8_t MakeAgentCopy = 0;
  uint8_t ThisIs_AutoUpdateProg = 0;
  uint32_t TrailerSize = 0;

  bool HasPackage() const { return Magic == layout::kMagic; }
  bool ShowTempDriveNotice() const { return Flags & layout::kShowTempDriveNotice; }
  bool MultiVolume() const { return Flags & layout::kMultiVolume; }
  bool SpannedCd() const { return Flags & layout::kSpannedCd; }
  bool ShowActivityBar() const { return Flags & layout::kShowActivityBar; }
  bool LogFile() const { return Flags & layout::kLogFile; }
};

// Decodes the first min(74, n) bytes of a trailer; absent fields stay zero.
Trailer DecodeTrailer(const uint8_t* bytes, size_t n);
// Encodes all 74 bytes (TrailerSize is written as stored in the record).
void EncodeTrailer(const Trailer& t, uint8_t out[layout::kTrailerSize]);

inline uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
