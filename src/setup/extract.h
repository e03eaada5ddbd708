// Extraction of a setup package's file chunks into a destination folder, from
// one setup file or a chain of volume files. Portable: the stub and mksetup
// supply file access and user interaction through the interfaces below, so
// that both extract by the same rules.
//
// Bounded whatever the input: chunks are read in pieces of at most 64 KiB,
// inflated into a 256 KiB buffer and written piece by piece, so memory does not
// grow with a chunk or a file; positions are 64-bit (volumes over 4 GiB). A
// chunk that runs past its volume's data end, zlib data that do not inflate,
// a chunk head without its NUL within 32 KiB, or a file name that would leave
// the folder stop the extraction with ok false and a reason.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "package/byte_source.h"

// Where the volume files come from.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  virtual bool Exists(const std::string& path) = 0;
  // The file opened for reading (with sharing), or nullptr.
  virtual std::unique_ptr<ByteSource> Open(const std::string& path) = 0;
};

// The destination folder. Names handed to it are single, checked file names
// (see IsSafeFileName): no separators, drive or dot names.
class ExtractTarget {
 public:
  virtual ~ExtractTarget() = default;
  virtual std::string Folder() const = 0;
  // The folder joined with `name` (for messages and traces).
  virtual std::string PathOf(const std::string& name) const = 0;
  // Creates the folder with all missing parents (true when it exists).
  virtual bool MakeFolder() = 0;
  virtual bool Exists(const std::string& name) = 0;
  // Opens `name` to write at its end, creating it when missing; `replace`
  // empties an existing file first. One file is open at a time.
  virtual bool Open(const std::string& name, bool replace) = 0;
  virtual bool Write(const void* data, size_t n) = 0;
  // Closes the open file; a `stamp` other than 0 (a packed DOS date-time)
  // becomes its date and time.
  virtual bool Close(uint32_t stamp) = 0;
  // Gives `name` the date and time of the file at `path` (the agent file).
  virtual void CopyFileTime(const std::string& name, const std::string& path) {}
};

struct SaveFailure {
  std::string path;       // the target file
  int64_t data_size = 0;  // file bytes of the chunk that failed
};

// What a chunk held, for inspection. Reported once the chunk is read.
struct ChunkReport {
  int volume = 0;
  int64_t offset = 0;        // of its length field
  int32_t length = 0;        // as stored: > 0 zlib, <= 0 stored
  bool header_block = false; // one of the volume's header blocks (not read)
  std::string name_field;    // field 0 of the head, as stored (with any "*...")
  std::string name;          // the file name written
  uint32_t stamp = 0;
  int64_t content_size = 0;  // inflated bytes, head included
  int64_t file_bytes = 0;    // bytes after the head
};

// The surroundings of an extraction: message pumping, waits, the user and the
// trace device. Every hook may be left as it is.
class ExtractHost {
 public:
  virtual ~ExtractHost() = default;
  virtual void Pump() {}                   // process pending window messages
  virtual void Pause(uint32_t ms) {}       // wait while processing messages
  virtual int64_t TickMs() { return 0; }
  virtual uint32_t ProcessId() { return 0; }
  virtual void Trace(const std::string& line) {}
  // operation 0 starts a run (maximum, position, step); 1 advances one step.
  virtual void Progress(int operation, int64_t maximum, int64_t position, int64_t step) {}
  // Volume prompts: called once before the first prompt of a run.
  virtual void SuppressAutoPlay() {}
  virtual void EjectMediumOf(const std::string& volumePath) {}
  // The prompt for the next volume; true for OK, false for Cancel.
  virtual bool AskOkCancel(const std::string& text) { return false; }
  virtual void FolderNotCreated(const std::string& folder) {}
  // Every failed write; the stub shows the first of its process only.
  virtual void SaveFailed(const SaveFailure& failure) {}
  virtual void ChunkRead(const ChunkReport& chunk) {}
};

struct ExtractRequest {
  std::string source;           // the first volume (the setup file or "<setup>.001")
  std::string agent_file_name;  // the agent file to write (folder dropped); "" none
  bool force_prompt = false;    // prompt for every further volume, present or not
  // The volume prompt; each "<DISK_NUM>" (any case) becomes the volume number.
  std::string prompt_text = "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue";
};

struct ExtractResult {
  bool ok = false;          // false: nothing may be launched
  std::string reason;       // why ok is false
  std::string engine_head;  // the engine's name field ("Engine.exe*params"); "" none
  bool cancelled = false;   // the user cancelled a volume prompt
  std::string missing_volume;  // the volume asked for when cancelled
  int volumes_read = 0;
  int volumes_without_package = 0;  // wrong Magic: nothing read from them
  int files = 0;                    // distinct files created
  int chunks = 0;                   // file chunks read
  int save_failures = 0;
  std::string agent_file;           // path of the agent file written, if any
};

ExtractResult Extract(const ExtractRequest& request, VolumeSource* volumes,
                      ExtractTarget* target, ExtractHost* host);

// Volume k (k >= 2) of a set whose first volume is `source`: the source with a
// final ".001" removed, ".", and k with at least three digits.
std::string VolumePath(const std::string& source, int k);

// Whether a chunk's name may be used as a file name in the destination
// folder: not empty after trimming, no "\", "/" or ":", and not made of dots
// and blanks only (which Windows reads as the folder or its parent).
bool IsSafeFileName(const std::string& name, std::string* why);

// A destination that writes nothing and remembers each file's size: for
// verifying and inspecting a package.
class CountingTarget : public ExtractTarget {
 public:
  std::string Folder() const override { return "."; }
  std::string PathOf(const std::string& name) const override { return name; }
  bool MakeFolder() override { return true; }
  bool Exists(const std::string& name) override { return sizes_.count(name) != 0; }
  bool Open(const std::string& name, bool replace) override;
  bool Write(const void* data, size_t n) override;
  bool Close(uint32_t stamp) override;
  const std::map<std::string, int64_t>& sizes() const { return sizes_; }
  const std::map<std::string, uint32_t>& stamps() const { return stamps_; }

 private:
  std::map<std::string, int64_t> sizes_;
  std::map<std::string, uint32_t> stamps_;
  std::string open_;
};
