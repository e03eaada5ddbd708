#include "package/writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "package/package_reader.h"

size_t MemorySink::ReadAt(int64_t offset, void* buffer, size_t n) const {
  return MemorySource(bytes_).ReadAt(offset, buffer, n);
}

bool MemorySink::Append(const void* data, size_t n) {
  bytes_.append(static_cast<const char*>(data), n);
  return true;
}

bool MemorySink::WriteAt(int64_t offset, const void* data, size_t n) {
  if (offset < 0 || uint64_t(offset) > bytes_.size() || bytes_.size() - size_t(offset) < n)
    return false;
  std::memcpy(&bytes_[size_t(offset)], data, n);
  return true;
}

std::string VolumeFileName(const std::string& path, int index, bool spannedCd) {
  if (index <= 0 || (index == 1 && !spannedCd)) return path;
  std::string number = std::to_string(index);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  return path + "." + number;
}

std::string ChunkHead(const std::string& name, uint32_t stamp) {
  std::string head = "|" + name + "|" + std::to_string(stamp) + "|";
  head += '\0';
  return head;
}

void ComputeSpaceRequired(const std::vector<uint64_t>& sizes,
                          uint32_t out[layout::kClusterSlots]) {
  for (int slot = 0; slot < layout::kClusterSlots; ++slot) {
    uint64_t cluster = slot == 0 ? 1 : uint64_t(1) << (8 + slot);
    uint64_t total = 0;
    bool overflow = false;
    for (uint64_t size : sizes) {
      uint64_t clusters = size / cluster + (size % cluster != 0);
      uint64_t rounded = clusters * cluster;
      if (rounded < size || total + rounded < total) overflow = true;
      total += rounded;
    }
    out[slot] = overflow || total > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(total);
  }
}

namespace {

constexpr size_t kPiece = 64 * 1024;
// When a volume has less room than this left for the next chunk, the chunk
// goes to a new volume rather than leave a sliver of a file behind.
constexpr int64_t kMinChunkRoom = 4096;

class Writer {
 public:
  Writer(const PackagePlan& plan, VolumeSinks* sinks, WriteProgress* progress,
         std::vector<WrittenVolume>* volumes, std::string* error)
      : plan_(plan), sinks_(sinks), progress_(progress), volumes_(volumes), error_(error),
        in_(kPiece), out_(kPiece) {}

  ~Writer() {
    if (deflating_) deflateEnd(&z_);
  }

  bool Run();

 private:
  bool Fail(const std::string& reason) {
    if (error_) *error_ = reason;
    return false;
  }
  bool SinkFail(const char* what) {
    return Fail(std::string(what) + ": " + (sink_ ? sink_->LastError() : std::string()));
  }
  bool CheckPlan();
  bool Append(const void* data, size_t n) {
    if (!sink_->Append(data, n)) return SinkFail("cannot write the setup file");
    pos_ += int64_t(n);
    return true;
  }
  bool BeginVolume(int index);
  bool EndVolume(bool last, bool launcher);
  bool WriteFile(const PackageFile& file);
  bool WriteChunk(const std::string& head, const PackageFile& file, int64_t offset, int64_t n);
  // Largest count of file bytes whose chunk surely fits in `room` bytes of
  // chunk data; -1 when not even the head fits.
  int64_t MaxFitting(int64_t room, size_t headSize, int64_t wanted);
  uint64_t Bound(uint64_t contentSize);

  const PackagePlan& plan_;
  VolumeSinks* sinks_;
  WriteProgress* progress_;
  std::vector<WrittenVolume>* volumes_;
  std::string* error_;
  std::vector<uint8_t> in_, out_;
  z_stream z_{};
  bool deflating_ = false;

  std::unique_ptr<ByteSink> sink_;
  int index_ = 0;
  int64_t pos_ = 0;
  int chunks_ = 0;
  bool stub_in_volume_ = false;
  uint32_t blocks_offset_ = 0;
  uint32_t space_[layout::kClusterSlots] = {};
  int64_t total_bytes_ = 0, done_bytes_ = 0;
};

bool Writer::CheckPlan() {
  if (plan_.chunk_size == 0 || plan_.chunk_size > kMaxChunkSize)
    return Fail("chunk size must be 1 to " + std::to_string(kMaxChunkSize) + " bytes");
  if (plan_.compression == Compression::kZlib && (plan_.level < 0 || plan_.level > 9))
    return Fail("zlib level must be 0 to 9");
  if (plan_.volume_size < 0) return Fail("volume size must not be negative");
  if (plan_.stub) {
    const ByteSource& stub = *plan_.stub;
    if (!IsExecutable(stub))
      return Fail("the stub image is not an executable with \"MZ\" at 0 and \"PE\" at 0x100");
    uint8_t end[8];
    if (stub.ReadAt(layout::kPackageEndHigh, end, 8) != 8)
      return Fail("the stub image is too short");
    for (uint8_t b : end)
      if (b)  // the reader would take them for a package end
        return Fail("the stub image holds data at 0xF8..0xFF, where the package end goes");
    if (stub.Size() > int64_t(0xFFFFFFFFu) - 64 * 1024 * 1024)
      return Fail("the stub image is too large");
  } else if (plan_.package_end_in_stub) {
    return Fail("a package end in the DOS stub area needs a stub image");
  }
  const std::string* blocks[] = {&plan_.strings_block, &plan_.options_block,
                                 &plan_.download_block};
  for (const std::string* b : blocks)
    if (b->size() > 0x7FFFFFFF) return Fail("a header block is too large");
  std::vector<uint64_t> sizes;
  for (const PackageFile& f : plan_.files) {
    if (!f.data || f.data->Size() < 0) return Fail("cannot read the size of " + f.name);
    sizes.push_back(uint64_t(f.data->Size()));
    total_bytes_ += f.data->Size();
  }
  if (plan_.agent_file_size) sizes.push_back(plan_.agent_file_size);
  ComputeSpaceRequired(sizes, space_);
  if (plan_.compression == Compression::kZlib) {
    if (deflateInit(&z_, plan_.level) != Z_OK) return Fail("zlib cannot start");
    deflating_ = true;
  }
  return true;
}

bool Writer::Run() {
  if (!CheckPlan()) return false;
  if (plan_.spanned_cd) {
    if (!BeginVolume(0) || !EndVolume(true, true)) return false;
  }
  if (!BeginVolume(1)) return false;
  for (const PackageFile& f : plan_.files)
    if (!WriteFile(f)) return false;
  return EndVolume(true, false);
}

bool Writer::BeginVolume(int index) {
  std::string why;
  sink_ = sinks_->Open(index, &why);
  if (!sink_) return Fail(why.empty() ? "cannot create volume " + std::to_string(index) : why);
  index_ = index;
  pos_ = 0;
  chunks_ = 0;
  stub_in_volume_ = plan_.stub && index <= 1;
  if (stub_in_volume_) {
    const ByteSource& stub = *plan_.stub;
    for (int64_t at = 0; at < stub.Size();) {
      size_t want = size_t(std::min<int64_t>(int64_t(kPiece), stub.Size() - at));
      if (stub.ReadAt(at, in_.data(), want) != want) return Fail("cannot read the stub image");
      if (!Append(in_.data(), want)) return false;
      at += int64_t(want);
    }
  }
  blocks_offset_ = uint32_t(pos_);
  const std::string* blocks[] = {&plan_.strings_block, &plan_.options_block,
                                 &plan_.download_block};
  int count = plan_.has_download_block ? 3 : 2;
  for (int i = 0; i < count; ++i) {
    uint8_t length[4];
    WriteU32(length, uint32_t(blocks[i]->size()));
    if (!Append(length, 4) || !Append(blocks[i]->data(), blocks[i]->size())) return false;
  }
  if (plan_.volume_size && pos_ + int64_t(layout::kTrailerSize) > plan_.volume_size)
    return Fail("volume size " + std::to_string(plan_.volume_size) +
                " is smaller than a volume's stub image, header blocks and trailer (" +
                std::to_string(pos_ + layout::kTrailerSize) + " bytes)");
  return true;
}

bool Writer::EndVolume(bool last, bool launcher) {
  Trailer t = plan_.trailer;
  t.PackageVersion = plan_.has_download_block ? 3 : 2;
  t.BlocksOffset = blocks_offset_;
  t.FilesCount = uint32_t(plan_.files.size());
  t.Magic = layout::kMagic;
  t.Checksum = 0;  // not summed itself: it lies in the tail
  std::memcpy(t.SpaceRequired, space_, sizeof space_);
  t.Flags &= uint8_t(~(layout::kMultiVolume | layout::kSpannedCd));
  if (!last) t.Flags |= layout::kMultiVolume;
  if (launcher) t.Flags |= layout::kSpannedCd;
  t.TrailerSize = layout::kTrailerSize;
  uint8_t bytes[layout::kTrailerSize];
  EncodeTrailer(t, bytes);
  int64_t trailerAt = pos_;
  if (!Append(bytes, sizeof bytes)) return false;
  if (stub_in_volume_ && plan_.package_end_in_stub) {
    uint8_t end[8];
    WriteU32(end, uint32_t(uint64_t(pos_) >> 32));
    WriteU32(end + 4, uint32_t(pos_));
    if (!sink_->WriteAt(layout::kPackageEndHigh, end, 8))
      return SinkFail("cannot write the package end");
  }
  // The stub sums only files up to 51200 bytes; larger ones carry the value
  // that tells it not to compare.
  uint32_t sum = pos_ <= layout::kChecksumLimit ? FileChecksum(*sink_, layout::kTrailerSize)
                                                : layout::kNoChecksum;
  uint8_t field[4];
  WriteU32(field, sum);
  if (!sink_->WriteAt(trailerAt + int64_t(layout::kOffChecksum), field, 4))
    return SinkFail("cannot write the checksum");
  if (!sink_->Finish()) return SinkFail("cannot complete the setup file");
  if (volumes_) volumes_->push_back({index_, pos_, chunks_, sum});
  sink_.reset();
  return true;
}

uint64_t Writer::Bound(uint64_t contentSize) {
  if (plan_.compression == Compression::kStored) return contentSize;
  return deflateBound(&z_, uLong(contentSize));
}

int64_t Writer::MaxFitting(int64_t room, size_t headSize, int64_t wanted) {
  if (room < 0 || Bound(headSize) > uint64_t(room)) return -1;
  if (Bound(headSize + uint64_t(wanted)) <= uint64_t(room)) return wanted;
  int64_t low = 0, high = wanted;  // Bound(head + low) fits, Bound(head + high) does not
  while (high - low > 1) {
    int64_t mid = low + (high - low) / 2;
    if (Bound(headSize + uint64_t(mid)) <= uint64_t(room))
      low = mid;
    else
      high = mid;
  }
  return low;
}

bool Writer::WriteFile(const PackageFile& file) {
  const std::string head = ChunkHead(file.name, file.stamp);
  const int64_t size = file.data->Size();
  int64_t offset = 0;
  bool first = true;
  while (first || offset < size) {
    int64_t n = std::min<int64_t>(size - offset, plan_.chunk_size);
    if (plan_.volume_size) {
      int64_t room = plan_.volume_size - pos_ - int64_t(layout::kTrailerSize) - 4;
      int64_t fit = MaxFitting(room, head.size(), n);
      bool tooSmall = n > 0 ? fit < 1 : fit < 0;
      if ((tooSmall || (fit < n && room < kMinChunkRoom)) && chunks_ > 0) {
        if (!EndVolume(false, false) || !BeginVolume(index_ + 1)) return false;
        continue;
      }
      if (tooSmall)
        return Fail("volume size " + std::to_string(plan_.volume_size) +
                    " leaves no room for a chunk after the header blocks");
      n = fit;
    }
    if (!WriteChunk(head, file, offset, n)) return false;
    offset += n;
    first = false;
  }
  return true;
}

bool Writer::WriteChunk(const std::string& head, const PackageFile& file, int64_t offset,
                        int64_t n) {
  const int64_t lengthAt = pos_;
  uint8_t length[4] = {};
  if (!Append(length, 4)) return false;
  const int64_t dataAt = pos_;
  const bool zlib = plan_.compression == Compression::kZlib;
  if (zlib && deflateReset(&z_) != Z_OK) return Fail("zlib cannot start a chunk");

  // Feeds `size` bytes (the head, then file pieces) to the output.
  auto put = [&](const uint8_t* data, size_t size, bool finish) -> bool {
    if (!zlib) return Append(data, size);
    z_.next_in = const_cast<uint8_t*>(data);
    z_.avail_in = uInt(size);
    for (;;) {
      z_.next_out = out_.data();
      z_.avail_out = uInt(out_.size());
      int rc = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_ERROR) return Fail("zlib failed while compressing " + file.name);
      size_t produced = out_.size() - z_.avail_out;
      if (produced && !Append(out_.data(), produced)) return false;
      if (finish ? rc == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) return true;
    }
  };

  if (!put(reinterpret_cast<const uint8_t*>(head.data()), head.size(), false)) return false;
  for (int64_t done = 0; done < n;) {
    size_t want = size_t(std::min<int64_t>(int64_t(kPiece), n - done));
    if (file.data->ReadAt(offset + done, in_.data(), want) != want)
      return Fail("cannot read " + file.name + " (did it change while building?)");
    if (!put(in_.data(), want, false)) return false;
    done += int64_t(want);
    done_bytes_ += int64_t(want);
    if (progress_) progress_->Advance(done_bytes_, total_bytes_);
  }
  if (zlib && !put(nullptr, 0, true)) return false;

  int64_t dataSize = pos_ - dataAt;
  if (dataSize > 0x7FFFFFFF) return Fail("a chunk of " + file.name + " exceeds 2 GiB");
  if (plan_.volume_size && pos_ + int64_t(layout::kTrailerSize) > plan_.volume_size)
    return Fail("a chunk of " + file.name + " came out larger than zlib's bound");
  int32_t l = zlib ? int32_t(dataSize) : -int32_t(dataSize);
  WriteU32(length, uint32_t(l));
  if (!sink_->WriteAt(lengthAt, length, 4)) return SinkFail("cannot write a chunk length");
  ++chunks_;
  return true;
}

}  // namespace

bool WritePackage(const PackagePlan& plan, VolumeSinks* sinks, WriteProgress* progress,
                  std::vector<WrittenVolume>* volumes, std::string* error) {
  if (volumes) volumes->clear();
  Writer writer(plan, sinks, progress, volumes, error);
  return writer.Run();
}
