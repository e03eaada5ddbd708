// Hand-built setup images for reader tests, independent of the writer so that
// a fault shared by both cannot hide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/layout.h"

struct FixtureBlocks {
  std::vector<std::string> blocks = {"[English]\r\ns0=Title\r\n", "|http://x/|upd.info|Agent.exe|tok|0|"};
  uint8_t packageVersion = 2;
  uint8_t flags = 0;
  uint8_t agentByte = 0;
  uint32_t trailerSize = layout::kTrailerSize;
  uint32_t magic = layout::kMagic;
  size_t imageSize = 0x200;  // stub image; 0 = no image (a bare package)
};

inline void PutU32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = char(v >> (8 * i));
}

inline std::string MakeStubImage(size_t size) {
  std::string image(size, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x100] = 'P';
  image[0x101] = 'E';
  return image;
}

// The package of `f` appended to `image` (a real stub image, or a synthetic one).
inline std::string MakeSetupOn(const std::string& image, const FixtureBlocks& f) {
  std::string file = image;
  uint32_t blocksOffset = uint32_t(file.size());
  for (const auto& b : f.blocks) {
    std::string len(4, '\0');
    PutU32(&len, 0, uint32_t(b.size()));
    file += len + b;
  }
  Trailer t;
  t.PackageVersion = f.packageVersion;
  t.BlocksOffset = blocksOffset;
  t.FilesCount = 3;
  t.Magic = f.magic;
  t.Checksum = layout::kNoChecksum;
  for (int i = 0; i < layout::kClusterSlots; ++i) t.SpaceRequired[i] = 1000 + i;
  t.Flags = f.flags;
  t.ThisIs_AutoUpdateProg = f.agentByte;
  t.TrailerSize = f.trailerSize;
  uint8_t bytes[layout::kTrailerSize];
  EncodeTrailer(t, bytes);
  file.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return file;
}

inline std::string MakeSetup(const FixtureBlocks& f) {
  return MakeSetupOn(f.imageSize ? MakeStubImage(f.imageSize) : std::string(), f);
}

// Appends `extra` after the package and records the package end at 0xF8/0xFC.
inline std::string WithPackageEnd(std::string file, const std::string& extra) {
  uint64_t end = file.size();
  PutU32(&file, layout::kPackageEndHigh, uint32_t(end >> 32));
  PutU32(&file, layout::kPackageEndLow, uint32_t(end));
  return file + extra;
}
