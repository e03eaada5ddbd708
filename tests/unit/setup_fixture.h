// In-memory volumes and destination folder for extraction tests, and raw
// chunk bytes made with zlib directly (not through the package writer).
#pragma once

#include <zlib.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "package/layout.h"
#include "package/writer.h"
#include "setup/extract.h"

// Volume files held in memory under their paths.
class MemoryVolumes : public VolumeSource {
 public:
  std::map<std::string, std::string> files;
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  std::unique_ptr<ByteSource> Open(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::unique_ptr<ByteSource>(new MemorySource(it->second));
  }
};

// A destination folder in memory; `refuse` names fail to open.
class MemoryTarget : public ExtractTarget {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, uint32_t> stamps;
  std::vector<std::string> refuse;
  size_t largest_write = 0;

  std::string Folder() const override { return "DEST"; }
  std::string PathOf(const std::string& name) const override { return "DEST\\" + name; }
  bool MakeFolder() override { return true; }
  bool Exists(const std::string& name) override { return files.count(name) != 0; }
  bool Open(const std::string& name, bool replace) override {
    if (std::find(refuse.begin(), refuse.end(), name) != refuse.end()) return false;
    open_ = name;
    if (replace) files[name].clear();
    files[name];
    return true;
  }
  bool Write(const void* data, size_t n) override {
    largest_write = std::max(largest_write, n);
    files[open_].append(static_cast<const char*>(data), n);
    return true;
  }
  bool Close(uint32_t stamp) override {
    if (stamp) stamps[open_] = stamp;
    open_.clear();
    return true;
  }

 private:
  std::string open_;
};

// Volumes written by the package writer, kept in memory by index once
// finished.
class MemorySinks : public VolumeSinks {
 public:
  std::map<int, std::string> bytes;
  std::unique_ptr<ByteSink> Open(int index, std::string*) override {
    return std::unique_ptr<ByteSink>(new Forwarding(this, index));
  }

 private:
  class Forwarding : public MemorySink {
   public:
    Forwarding(MemorySinks* owner, int index) : owner_(owner), index_(index) {}
    bool Finish() override {
      owner_->bytes[index_] = bytes();
      return true;
    }

   private:
    MemorySinks* owner_;
    int index_;
  };
};

inline std::string U32Bytes(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[size_t(i)] = char(v >> (8 * i));
  return s;
}

inline std::string Zlib(const std::string& content) {
  uLongf size = compressBound(uLong(content.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[0]), &size,
            reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), 6);
  out.resize(size);
  return out;
}

// One chunk: i32 length and its bytes; stored chunks carry a negative length.
inline std::string ZlibChunk(const std::string& content) {
  std::string z = Zlib(content);
  return U32Bytes(uint32_t(z.size())) + z;
}
inline std::string StoredChunk(const std::string& content) {
  return U32Bytes(uint32_t(-int32_t(content.size()))) + content;
}
inline std::string Content(const std::string& head, const std::string& bytes) {
  return head + std::string(1, '\0') + bytes;
}

// A volume: optional stub image, the header blocks as chunks, the given
// chunks and a trailer (checksum 1234 unless `summed`).
struct RawVolume {
  size_t stub = 0x200;  // 0: no stub image
  std::vector<std::string> blocks = {"", "|http://|.info|.exe||0|"};
  std::string chunks;
  uint8_t flags = 0;
  uint32_t checksum = layout::kNoChecksum;
  uint32_t files = 0;
};

inline std::string MakeVolume(const RawVolume& v) {
  std::string file;
  if (v.stub) {
    file.assign(v.stub, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    file[0x100] = 'P';
    file[0x101] = 'E';
  }
  uint32_t blocksOffset = uint32_t(file.size());
  for (const auto& b : v.blocks) file += U32Bytes(uint32_t(b.size())) + b;
  file += v.chunks;
  Trailer t;
  t.PackageVersion = uint8_t(v.blocks.size());
  t.BlocksOffset = blocksOffset;
  t.FilesCount = v.files;
  t.Magic = layout::kMagic;
  t.Checksum = v.checksum;
  t.Flags = v.flags;
  t.TrailerSize = layout::kTrailerSize;
  uint8_t bytes[layout::kTrailerSize];
  EncodeTrailer(t, bytes);
  file.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return file;
}

// Records what the extraction asked of its surroundings.
class RecordingHost : public ExtractHost {
 public:
  std::vector<std::string> prompts, ejected, traces;
  std::vector<SaveFailure> failures;
  std::vector<ChunkReport> chunks;
  int steps = 0;           // progress operation 1
  int64_t maximum = -1;    // the last run's maximum
  std::vector<bool> answers;                 // prompt answers in order (then Cancel)
  std::map<std::string, std::string> on_ok;  // path to put in `volumes` on OK
  MemoryVolumes* volumes = nullptr;
  std::string wanted;      // the volume asked for

  void Trace(const std::string& line) override { traces.push_back(line); }
  void Progress(int op, int64_t max, int64_t, int64_t) override {
    if (op == 1) ++steps;
    if (op == 0) maximum = max;
  }
  void EjectMediumOf(const std::string& path) override {
    ejected.push_back(path);
    wanted = path;
  }
  bool AskOkCancel(const std::string& text) override {
    bool ok = prompts.size() < answers.size() && answers[prompts.size()];
    prompts.push_back(text);
    if (ok && volumes) {
      auto it = on_ok.find(wanted);
      if (it != on_ok.end()) volumes->files[it->first] = it->second;
    }
    return ok;
  }
  void SaveFailed(const SaveFailure& f) override { failures.push_back(f); }
  void ChunkRead(const ChunkReport& c) override { chunks.push_back(c); }
};
