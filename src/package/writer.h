// Composing setup files: the builder's side of package/layout.h.
//
// A package is written as one file, or as a set of volumes when a volume size
// is given: each volume carries its own header blocks, chunks and trailer, and
// every volume but the last has MultiVolume set. Only the first volume carries
// the stub image. A spanned-CD set adds a launcher file (stub image, header
// blocks, trailer with SpannedCd, no chunks) in front of its data volumes.
//
// Memory stays bounded whatever the input: files are read and compressed in
// 64 KiB pieces straight into the output, and a file larger than the chunk
// size is split over consecutive chunks (the stub appends them), so that no
// reader of the package needs much memory for one chunk either.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/byte_source.h"
#include "package/layout.h"

// An output file that can be read back and patched: the package end in the
// DOS stub area, each chunk's length and the checksum are only known after
// the bytes they describe are written.
class ByteSink : public ByteSource {
 public:
  // Appends n bytes at the end.
  virtual bool Append(const void* data, size_t n) = 0;
  // Overwrites bytes already written; offset + n must not pass Size().
  virtual bool WriteAt(int64_t offset, const void* data, size_t n) = 0;
  // Completes the file (flush and close). False when any write failed.
  virtual bool Finish() = 0;
  // A one-line reason for the last failure (for messages).
  virtual std::string LastError() const { return "write failed"; }
};

// A sink held in memory (tests, small files).
class MemorySink : public ByteSink {
 public:
  int64_t Size() const override { return int64_t(bytes_.size()); }
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override;
  bool Append(const void* data, size_t n) override;
  bool WriteAt(int64_t offset, const void* data, size_t n) override;
  bool Finish() override { return true; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Creates the files of a set. Index 1 is the file that holds the first chunk
// (the setup file itself, or "<name>.001" of a spanned-CD set), k > 1 the
// volume k after it; index 0 is the launcher of a spanned-CD set.
class VolumeSinks {
 public:
  virtual ~VolumeSinks() = default;
  // A new, empty sink; nullptr with a reason in *error when it cannot be made.
  virtual std::unique_ptr<ByteSink> Open(int index, std::string* error) = 0;
};

// The name of file `index` of a set written to `path`, by the rule the stub
// uses to find volumes: path, path.002, path.003 ...; for a spanned-CD set the
// launcher is path and the volumes are path.001, path.002 ...
std::string VolumeFileName(const std::string& path, int index, bool spannedCd);

// One file of the package.
struct PackageFile {
  // The name field of its chunks: "Engine.exe*" plus the engine's parameters,
  // or a payload name such as "00000#readme.txt". Written as given: the
  // caller decides what is a safe name.
  std::string name;
  uint32_t stamp = 0;               // packed DOS date-time; 0: none
  const ByteSource* data = nullptr;  // read in pieces, never held whole
};

enum class Compression { kZlib, kStored };

struct PackagePlan {
  const ByteSource* stub = nullptr;  // "MZ", "PE" at 0x100, 0xF8..0xFF free; null: none
  std::string strings_block, options_block, download_block;
  bool has_download_block = false;   // PackageVersion 3 instead of 2
  std::vector<PackageFile> files;
  // Carried as given: the unnamed bytes, the Flags bits other than MultiVolume
  // and SpannedCd, and the bytes +66..+69. Everything else is computed.
  Trailer trailer;
  Compression compression = Compression::kZlib;
  int level = 6;                       // zlib level 0..9
  uint32_t chunk_size = 4u << 20;      // file bytes per chunk, at most kMaxChunkSize
  int64_t volume_size = 0;             // bytes per volume file; 0: one file
  bool spanned_cd = false;
  bool package_end_in_stub = false;    // for files signed after building
  // Bytes of the agent file the stub writes beside the files, counted into
  // SpaceRequired (0: none).
  uint64_t agent_file_size = 0;
};

constexpr uint32_t kMaxChunkSize = 1u << 30;  // keeps every chunk length within an i32

struct WrittenVolume {
  int index = 0;
  int64_t size = 0;
  int chunks = 0;
  uint32_t checksum = 0;
};

class WriteProgress {
 public:
  virtual ~WriteProgress() = default;
  // File bytes packed so far, of `total`.
  virtual void Advance(int64_t done, int64_t total) = 0;
};

// Writes the package. On failure returns false with a one-line reason; the
// files already opened are left as they are (the caller removes them).
bool WritePackage(const PackagePlan& plan, VolumeSinks* sinks, WriteProgress* progress,
                  std::vector<WrittenVolume>* volumes, std::string* error);

// SpaceRequired for files of these sizes: slot 0 the exact total, slot i the
// total with each file rounded up to whole clusters of 2^(8+i) bytes. A total
// that does not fit 32 bits is stored as 0xFFFFFFFF.
void ComputeSpaceRequired(const std::vector<uint64_t>& sizes,
                          uint32_t out[layout::kClusterSlots]);

// The head of a file's chunks: "|name|stamp|" and the NUL that ends it.
std::string ChunkHead(const std::string& name, uint32_t stamp);
