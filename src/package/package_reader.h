// Locating the package of a setup file and the whole-file checksum.
#pragma once

#include <cstdint>
#include <string>

#include "package/byte_source.h"
#include "package/layout.h"

// "MZ" at 0 and "PE" at 0x100 (the stub image always carries its PE header
// there; the DOS header is not followed).
bool IsExecutable(const ByteSource& src);

// (u32 at 0xF8) * 2^32 + (u32 at 0xFC); 0 when absent or the file is too short.
int64_t PackageEnd(const ByteSource& src);

// The end of the package: the package end when the file is an executable with
// a non-zero one, otherwise the file size.
int64_t PackageDataEnd(const ByteSource& src);

// Reads the trailer: its size S from the last 4 bytes of the package, then
// min(74, S) - 4 bytes from S bytes before the package end; TrailerSize is set
// to min(74, S) and a PackageVersion of 0 reads as 2. A size that does not fit
// the file reads nothing (the record stays zero but for TrailerSize).
Trailer ReadTrailer(const ByteSource& src);

// The whole-file checksum with a tail of the given length (74 for extraction).
// Files over 51200 bytes give 1234 without being read.
uint32_t FileChecksum(const ByteSource& src, int64_t tailLength);

// Whether a computed checksum matches a stored one (1234 on either side passes).
bool ChecksumAccepted(uint32_t computed, uint32_t stored);

// The SpaceRequired slot for a drive with the given cluster size: the exact
// total below 512 bytes (or 0, a failed query), slot i for 2^(8+i) up to 65536.
uint32_t SpaceRequiredFor(const Trailer& t, uint64_t clusterSize);

// Reads the header blocks at BlocksOffset: strings, options and (PackageVersion
// above 2) download. A block whose length is negative or runs past the package
// data end ends the reading: it and the blocks after it stay empty.
struct HeaderBlocks {
  std::string strings, options, download;
  int64_t end = 0;  // offset just past the last block read (0 when none)
};
HeaderBlocks ReadHeaderBlocks(const ByteSource& src, const Trailer& t);
