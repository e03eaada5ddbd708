#include "setup/extract.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "env/paths.h"
#include "env/text.h"
#include "package/agent_file.h"
#include "package/layout.h"
#include "package/package_reader.h"
#include "support/field_list.h"

std::string VolumePath(const std::string& source, int k) {
  std::string base = source;
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".001") == 0)
    base.resize(base.size() - 4);
  return base + "." + ZeroPad(k, 3);
}

bool IsSafeFileName(const std::string& name, std::string* why) {
  auto refuse = [why](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  std::string trimmed = Trim(name);
  if (trimmed.empty()) return refuse("the name is empty");
  if (name.find_first_of("\\/") != std::string::npos) return refuse("the name holds a path");
  if (name.find(':') != std::string::npos) return refuse("the name holds a drive or stream (\":\")");
  // Windows drops trailing dots and blanks, so "..", "..." and ". ." all
  // name the folder itself or its parent.
  if (trimmed.find_first_not_of(". ") == std::string::npos)
    return refuse("the name is made of dots only");
  return true;
}

bool CountingTarget::Open(const std::string& name, bool replace) {
  open_ = name;
  int64_t& size = sizes_[name];
  if (replace) size = 0;
  return true;
}

bool CountingTarget::Write(const void*, size_t n) {
  sizes_[open_] += int64_t(n);
  return true;
}

bool CountingTarget::Close(uint32_t stamp) {
  if (stamp) stamps_[open_] = stamp;
  open_.clear();
  return true;
}

namespace {

constexpr size_t kPiece = 64 * 1024;  // one read; messages are pumped after each
// Inflated bytes are written in pieces of this size: fewer, larger writes.
constexpr size_t kOutPiece = 256 * 1024;
constexpr size_t kMaxHead = 32 * 1024;

std::string Decimal(int64_t v) { return IntToText(v); }

class Extraction {
 public:
  Extraction(const ExtractRequest& request, VolumeSource* volumes, ExtractTarget* target,
             ExtractHost* host)
      : req_(request), volumes_(volumes), target_(target), host_(host), in_(kPiece),
        out_(kOutPiece) {}
  ~Extraction() {
    if (inflating_) inflateEnd(&z_);
  }

  ExtractResult Run();

 private:
  // Ends the extraction with ok false.
  bool Stop(const std::string& reason) {
    result_.ok = false;
    result_.reason = reason;
    return false;
  }
  bool ReadVolume(const ByteSource& src, const Trailer& t, int k);
  bool ReadChunks(const ByteSource& src, const Trailer& t, int64_t dataEnd, int k,
                  int64_t* blocksEnd);
  bool ReadFileChunk(const ByteSource& src, int64_t at, int32_t length, ChunkReport* report);
  // Takes the next inflated or stored bytes of the chunk's content.
  bool Content(const uint8_t* data, size_t n, ChunkReport* report);
  bool StartFile(ChunkReport* report);
  void WriteFileBytes(const uint8_t* data, size_t n);
  void EndFile(ChunkReport* report);
  bool WriteAgentFile(const ByteSource& src, const Trailer& t, int64_t blocksEnd);
  std::string Where(int64_t offset) const {
    return " (" + current_ + ", offset " + Decimal(offset) + ")";
  }

  const ExtractRequest& req_;
  VolumeSource* volumes_;
  ExtractTarget* target_;
  ExtractHost* host_;
  ExtractResult result_;
  std::vector<uint8_t> in_, out_;
  z_stream z_{};
  bool inflating_ = false;
  std::string current_;  // the volume being read

  // The chunk being read.
  int64_t chunk_at_ = 0;
  std::string head_;
  bool head_done_ = false;
  bool skip_ = false;     // empty head: the chunk writes nothing
  bool open_ = false;     // a target file is open
  bool failed_ = false;   // writing this chunk's file failed
};

ExtractResult Extraction::Run() {
  const int64_t start = host_->TickMs();
  host_->Progress(0, 0, 0, 1);
  int k = 1;
  bool proceed = true;
  bool autoPlayOff = false;
  std::string path = req_.source;
  for (;;) {
    Trailer t;  // a volume that cannot be read continues nothing
    if (volumes_->Exists(path)) {
      std::unique_ptr<ByteSource> src = volumes_->Open(path);
      if (!src) {
        Stop("cannot open " + path);
        break;
      }
      current_ = path;
      t = ReadTrailer(*src);
      if (!ReadVolume(*src, t, k)) break;
    } else if (k > 1) {
      // The prompt saw it, or it was there a moment ago.
      Stop("volume " + path + " is gone");
      break;
    } else {
      Stop("cannot find " + path);  // the caller reports it as a bad file
      break;
    }
    if (!t.MultiVolume()) break;
    if (!autoPlayOff) {
      host_->SuppressAutoPlay();
      autoPlayOff = true;
    }
    path = VolumePath(req_.source, ++k);
    if (req_.force_prompt || !volumes_->Exists(path)) {
      host_->EjectMediumOf(path);
      std::string text = ReplaceAll(req_.prompt_text, "<DISK_NUM>", Decimal(k), true);
      do {
        proceed = host_->AskOkCancel(text);
        host_->Pause(500);
      } while (proceed && !volumes_->Exists(path));
    }
    host_->Progress(1, 0, 0, 0);
    if (!proceed) {
      result_.cancelled = true;
      result_.missing_volume = path;
      break;
    }
  }
  if (!proceed) result_.engine_head.clear();
  host_->Trace("UnCompressTime: " + Decimal(host_->TickMs() - start) + " MS");
  host_->Trace("");
  host_->Pause(500);
  return result_;
}

bool Extraction::ReadVolume(const ByteSource& src, const Trailer& t, int k) {
  if (k == 1) host_->Trace("FileInfo.FilesCount=" + Decimal(t.FilesCount));
  uint32_t sum = FileChecksum(src, t.TrailerSize);
  if (!ChecksumAccepted(sum, t.Checksum))
    return Stop("checksum mismatch in " + current_ + " (stored " + Decimal(t.Checksum) +
                ", computed " + Decimal(sum) + ")");
  result_.ok = true;
  ++result_.volumes_read;
  // A package end past the end of a cut file must not send reads beyond it.
  int64_t dataEnd = std::min(PackageDataEnd(src), std::max<int64_t>(src.Size(), 0));
  host_->Trace("FileLen=" + Decimal(dataEnd));
  if (!t.HasPackage()) {
    ++result_.volumes_without_package;
    return true;
  }
  if (k == 1) host_->Progress(0, t.FilesCount, 0, 1);
  if (!target_->MakeFolder()) host_->FolderNotCreated(target_->Folder());
  int64_t blocksEnd = 0;
  if (!ReadChunks(src, t, dataEnd, k, &blocksEnd)) return false;
  if (k == 1 && !WriteAgentFile(src, t, blocksEnd)) return false;
  return true;
}

bool Extraction::ReadChunks(const ByteSource& src, const Trailer& t, int64_t dataEnd, int k,
                            int64_t* blocksEnd) {
  int64_t pos = t.BlocksOffset;
  int items = 0;
  while (dataEnd - pos > int64_t(layout::kTrailerSize)) {
    host_->Pump();
    uint8_t field[4];
    if (src.ReadAt(pos, field, 4) != 4) return Stop("cannot read" + Where(pos));
    int32_t length = int32_t(ReadU32(field));
    int64_t size = length < 0 ? -int64_t(length) : int64_t(length);
    if (size > dataEnd - pos - 4)
      return Stop("a chunk of " + Decimal(size) + " bytes runs past the end of the data at " +
                  Decimal(dataEnd) + Where(pos));
    ChunkReport report;
    report.volume = k;
    report.offset = pos;
    report.length = length;
    if (items < t.PackageVersion) {
      // A header block: skipped, its end remembered for the agent file.
      report.header_block = true;
      if (++items == t.PackageVersion) *blocksEnd = pos + 4 + size;
    } else {
      ++result_.chunks;
      if (!ReadFileChunk(src, pos, length, &report)) return false;
    }
    host_->ChunkRead(report);
    pos += 4 + size;
  }
  return true;
}

bool Extraction::ReadFileChunk(const ByteSource& src, int64_t at, int32_t length,
                               ChunkReport* report) {
  chunk_at_ = at;
  head_.clear();
  head_done_ = skip_ = open_ = failed_ = false;
  const bool zlib = length > 0;
  const int64_t size = zlib ? int64_t(length) : -int64_t(length);
  if (zlib) {
    if (!inflating_) {
      if (inflateInit(&z_) != Z_OK) return Stop("zlib cannot start");
      inflating_ = true;
    } else if (inflateReset(&z_) != Z_OK) {
      return Stop("zlib cannot start");
    }
  }
  bool ended = !zlib;  // a stored chunk has no stream to end
  bool ok = true;
  for (int64_t done = 0; ok && done < size && !(zlib && ended);) {
    size_t want = size_t(std::min<int64_t>(int64_t(kPiece), size - done));
    if (src.ReadAt(at + 4 + done, in_.data(), want) != want) {
      ok = Stop("cannot read" + Where(at));
      break;
    }
    done += int64_t(want);
    host_->Pump();
    if (!zlib) {
      ok = Content(in_.data(), want, report);
      continue;
    }
    z_.next_in = in_.data();
    z_.avail_in = uInt(want);
    // Inflate into the bounded buffer until this piece is used up and zlib
    // holds nothing back; pump now and then, as a small piece can inflate to
    // a great deal.
    for (;;) {
      z_.next_out = out_.data();
      z_.avail_out = uInt(out_.size());
      int rc = inflate(&z_, Z_NO_FLUSH);
      if (rc == Z_BUF_ERROR) break;  // no progress: it needs more input
      if (rc != Z_OK && rc != Z_STREAM_END) {
        ok = Stop(std::string("the zlib data of a chunk do not inflate (") +
                  (z_.msg ? z_.msg : "error " + Decimal(rc)) + ")" + Where(at));
        break;
      }
      ended = rc == Z_STREAM_END;
      ok = Content(out_.data(), out_.size() - z_.avail_out, report);
      if (!ok || ended || (z_.avail_in == 0 && z_.avail_out != 0)) break;
      host_->Pump();
    }
  }
  if (ok && !ended) ok = Stop("the zlib data of a chunk end before their stream does" + Where(at));
  if (ok && !head_done_ && !head_.empty()) {
    // No NUL at all: the whole content is the head, the file is empty.
    head_done_ = true;
    ok = StartFile(report);
  }
  EndFile(report);
  return ok;
}

bool Extraction::Content(const uint8_t* data, size_t n, ChunkReport* report) {
  report->content_size += int64_t(n);
  if (!head_done_) {
    const void* nul = n ? std::memchr(data, 0, n) : nullptr;
    size_t headPart = nul ? size_t(static_cast<const uint8_t*>(nul) - data) : n;
    if (head_.size() + headPart > kMaxHead)
      return Stop("a chunk head runs over " + Decimal(kMaxHead) + " bytes" + Where(chunk_at_));
    head_.append(reinterpret_cast<const char*>(data), headPart);
    if (!nul) return true;
    head_done_ = true;
    if (!StartFile(report)) return false;
    data += headPart + 1;
    n -= headPart + 1;
  }
  report->file_bytes += int64_t(n);
  WriteFileBytes(data, n);
  return true;
}

bool Extraction::StartFile(ChunkReport* report) {
  if (head_.empty()) {
    skip_ = true;
    return true;
  }
  if (head_.find('*') != std::string::npos) result_.engine_head = head_;
  std::string name = SUB::GetField(head_, 0, "");
  report->name_field = name;
  int64_t stamp = TextToInt64(SUB::GetField(head_, 1, ""), 0);
  report->stamp = stamp > 0 && stamp <= int64_t(0xFFFFFFFF) ? uint32_t(stamp) : 0;
  size_t star = name.find('*');
  if (star != std::string::npos) {
    result_.engine_head = name;
    name.resize(star);
  }
  report->name = name;
  std::string why;
  if (!IsSafeFileName(name, &why))
    return Stop("unsafe file name \"" + name + "\" in a chunk: " + why + Where(chunk_at_));
  if (!target_->Exists(name)) {
    host_->Progress(1, 0, 0, 0);
    ++result_.files;
  }
  open_ = target_->Open(name, false);
  failed_ = !open_;
  return true;
}

void Extraction::WriteFileBytes(const uint8_t* data, size_t n) {
  if (skip_ || failed_ || !open_ || n == 0) return;
  if (!target_->Write(data, n)) failed_ = true;
}

void Extraction::EndFile(ChunkReport* report) {
  if (open_) {
    if (!target_->Close(failed_ || !result_.ok ? 0 : report->stamp)) failed_ = true;
    open_ = false;
  }
  if (failed_ && result_.ok) {
    ++result_.save_failures;
    host_->SaveFailed({target_->PathOf(report->name), report->file_bytes});
  }
  failed_ = false;
}

bool Extraction::WriteAgentFile(const ByteSource& src, const Trailer& t, int64_t blocksEnd) {
  std::string name = FileNameOf(req_.agent_file_name);
  if (Trim(name).empty()) return true;
  if (!EndsWithText(".exe", req_.source, true) && !EndsWithText(".exe.001", req_.source, true))
    return true;
  std::string why;
  if (!IsSafeFileName(name, &why)) return Stop("unsafe agent file name \"" + name + "\": " + why);
  if (blocksEnd <= 0) return true;  // the header blocks were not all there
  // Copied in pieces: memory stays bounded whatever the stub image's size.
  struct Sink {
    ExtractTarget* target;
    ExtractHost* host;
    int64_t written;
  } sink{target_, host_, 0};
  const bool opened = target_->Open(name, true);
  bool ok = opened && StreamAgentFile(src, blocksEnd, t, &in_,
                                      [](const uint8_t* data, size_t size, void* context) {
                                        auto* s = static_cast<Sink*>(context);
                                        if (!s->target->Write(data, size)) return false;
                                        s->written += int64_t(size);
                                        s->host->Pump();
                                        return true;
                                      },
                                      &sink);
  if (opened && !target_->Close(0)) ok = false;
  if (!ok) {
    ++result_.save_failures;
    host_->SaveFailed({target_->PathOf(name), sink.written});
    return true;
  }
  target_->CopyFileTime(name, req_.source);
  result_.agent_file = target_->PathOf(name);
  host_->Trace(Decimal(host_->ProcessId()) + " New AU-Agent: " + result_.agent_file);
  return true;
}

}  // namespace

ExtractResult Extract(const ExtractRequest& request, VolumeSource* volumes,
                      ExtractTarget* target, ExtractHost* host) {
  ExtractHost quiet;
  Extraction extraction(request, volumes, target, host ? host : &quiet);
  return extraction.Run();
}
