// Times native zlib inflate of every file chunk of a setup file, as the
// baseline for the stub's extraction time (bench/extract_bench.sh).
//
//   inflate_chunks SETUP [RUNS]     (RUNS default 3; the best run is printed)
//
// The file is read into memory first, so neither the disk nor the page cache
// is timed. Two figures:
//   inflate_ms  each zlib chunk inflated in one go into a 1 MiB buffer that is
//               thrown away: the plain cost of zlib;
//   extract_ms  Extract(), the stub's own extraction code (64 KiB pieces, head
//               parsing), into a target that discards the bytes.
// Only a single-file setup is read (no further volumes).
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "package/byte_source.h"
#include "setup/extract.h"

namespace {

class MemoryVolume : public VolumeSource {
 public:
  MemoryVolume(std::string path, const std::string& bytes) : path_(std::move(path)), bytes_(bytes) {}
  bool Exists(const std::string& path) override { return path == path_; }
  std::unique_ptr<ByteSource> Open(const std::string& path) override {
    if (path != path_) return nullptr;
    return std::unique_ptr<ByteSource>(new MemorySource(bytes_));
  }

 private:
  std::string path_;
  const std::string& bytes_;
};

class Chunks : public ExtractHost {
 public:
  std::vector<ChunkReport> list;
  void ChunkRead(const ChunkReport& c) override {
    if (!c.header_block) list.push_back(c);
  }
};

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool ReadWhole(const char* path, std::string* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// Inflates one chunk's zlib stream; returns the inflated size or -1.
int64_t InflateChunk(z_stream* z, const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  if (inflateReset(z) != Z_OK) return -1;
  z->next_in = const_cast<uint8_t*>(data);
  z->avail_in = uInt(size);
  int64_t total = 0;
  for (;;) {
    z->next_out = out->data();
    z->avail_out = uInt(out->size());
    int rc = inflate(z, Z_NO_FLUSH);
    total += int64_t(out->size() - z->avail_out);
    if (rc == Z_STREAM_END) return total;
    if (rc != Z_OK) return -1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: inflate_chunks SETUP [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::string bytes;
  if (!ReadWhole(argv[1], &bytes)) {
    std::fprintf(stderr, "inflate_chunks: cannot read %s\n", argv[1]);
    return 1;
  }

  double extractMs = 1e300;
  Chunks chunks;
  for (int i = 0; i < runs; ++i) {
    MemoryVolume volume(argv[1], bytes);
    CountingTarget target;
    Chunks host;
    ExtractRequest request;
    request.source = argv[1];
    auto start = std::chrono::steady_clock::now();
    ExtractResult r = Extract(request, &volume, &target, &host);
    extractMs = std::min(extractMs, MsSince(start));
    if (!r.ok) {
      std::fprintf(stderr, "inflate_chunks: %s\n", r.reason.c_str());
      return 1;
    }
    chunks = host;
  }

  z_stream z{};
  if (inflateInit(&z) != Z_OK) return 1;
  std::vector<uint8_t> out(1 << 20);
  double inflateMs = 1e300;
  int64_t inflated = 0, stored = 0;
  int zlibChunks = 0;
  for (int i = 0; i < runs; ++i) {
    inflated = stored = 0;
    zlibChunks = 0;
    auto start = std::chrono::steady_clock::now();
    for (const ChunkReport& c : chunks.list) {
      if (c.length <= 0) continue;  // stored: nothing to inflate
      if (c.volume != 1) {
        std::fprintf(stderr, "inflate_chunks: a set of volumes is not supported\n");
        return 1;
      }
      const auto* data = reinterpret_cast<const uint8_t*>(bytes.data()) + c.offset + 4;
      int64_t n = InflateChunk(&z, data, size_t(c.length), &out);
      if (n < 0) {
        std::fprintf(stderr, "inflate_chunks: the chunk at %lld does not inflate\n",
                     static_cast<long long>(c.offset));
        return 1;
      }
      inflated += n;
      stored += c.length;
      ++zlibChunks;
    }
    inflateMs = std::min(inflateMs, MsSince(start));
  }
  inflateEnd(&z);
  std::printf("chunks=%d zlib_chunks=%d compressed_bytes=%lld inflated_bytes=%lld "
              "inflate_ms=%.1f extract_ms=%.1f runs=%d\n",
              int(chunks.list.size()), zlibChunks, static_cast<long long>(stored),
              static_cast<long long>(inflated), inflateMs, extractMs, runs);
  return 0;
}
