// Feeds arbitrary bytes to the extraction engine's chunk reader: it may not
// crash, hang, read past the end, hold more than bounded pieces, or hand the
// destination a name that leaves the folder.
//
// The first byte picks the shape: odd values take the rest as a whole setup
// file; even values wrap the rest as header blocks and chunks in a valid
// trailer (checksum 1234), so the fuzzer reaches the chunks without first
// having to match a checksum.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "package/layout.h"
#include "setup/extract.h"

namespace {

class OneFile : public VolumeSource {
 public:
  explicit OneFile(const std::string& bytes) : bytes_(bytes) {}
  bool Exists(const std::string& path) override { return path == "setup.exe"; }
  std::unique_ptr<ByteSource> Open(const std::string& path) override {
    if (path != "setup.exe") return nullptr;
    return std::unique_ptr<ByteSource>(new MemorySource(bytes_));
  }

 private:
  const std::string& bytes_;
};

class CheckingTarget : public CountingTarget {
 public:
  bool Open(const std::string& name, bool replace) override {
    if (!IsSafeFileName(name, nullptr)) __builtin_trap();
    return CountingTarget::Open(name, replace);
  }
  bool Write(const void* data, size_t n) override {
    if (n > 64 * 1024) __builtin_trap();  // pieces stay bounded
    return CountingTarget::Write(data, n);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string file;
  if (data[0] & 1) {
    file.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  } else {
    file.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    Trailer t;
    t.PackageVersion = uint8_t((data[0] >> 1) % 4);  // 0 reads as 2
    t.Magic = layout::kMagic;
    t.Checksum = layout::kNoChecksum;
    t.Flags = uint8_t(data[0] & layout::kMultiVolume);
    t.TrailerSize = layout::kTrailerSize;
    uint8_t bytes[layout::kTrailerSize];
    EncodeTrailer(t, bytes);
    file.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }
  OneFile volumes(file);
  CheckingTarget target;
  ExtractRequest request;
  request.source = "setup.exe";
  request.agent_file_name = "Agent.exe";
  ExtractResult r = Extract(request, &volumes, &target, nullptr);
  if (!r.ok && r.reason.empty()) __builtin_trap();  // every stop says why
  return 0;
}
