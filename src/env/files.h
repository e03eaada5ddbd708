// File and disk helpers. Paths are 8-bit texts in the system code page;
// positions and sizes are signed 64-bit; a date stamp is a packed DOS
// date-time (0 = leave the date alone). The path rules, the chunking of writes
// and the self-delete batch text are portable; the file operations are Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ---- Path text ----

// Whether a byte begins a double-byte character in the system code page
// (IsDBCSLeadByte; natively no byte does).
bool IsLeadByte(unsigned char c);
using LeadBytePredicate = bool (*)(unsigned char c);

// Whether the last byte of `text` is the second byte of a double-byte
// character, found by walking the characters from the start.
bool EndsInTrailByte(const std::string& text, LeadBytePredicate isLead = IsLeadByte);
// A path of 3 or more bytes loses one trailing "\" (not the second byte of a
// double-byte character); then with `add` one "\" is appended. "C:\" gives
// "C:", with `add` "C:\" again; "" with `add` gives "\".
std::string SetTrailingBackslash(const std::string& path, bool add,
                                 LeadBytePredicate isLead = IsLeadByte);
// "\" becomes ""; a path of 2 or more bytes loses one trailing "\" under the
// same rule; anything else is unchanged.
std::string RemoveTrailingBackslash(const std::string& path, LeadBytePredicate isLead = IsLeadByte);
// The file-name part of a path without its last extension, or without every
// extension when `allExtensions` ("archive.tar.gz": "archive.tar" / "archive").
std::string FileBaseName(const std::string& path, bool allExtensions,
                         LeadBytePredicate isLead = IsLeadByte);
// The folder part of a path without a trailing "\" ("" when there is none).
std::string FolderOfFile(const std::string& path, LeadBytePredicate isLead = IsLeadByte);

// ---- Chunked writing ----

// The chunk size for a chunked write of `length` bytes: at most 1024 while a
// tenth of the length is 1024 or less, otherwise a tenth of the length up to
// 1 MiB.
size_t WriteChunkSize(size_t length);

// Progress of a write: called once before the first chunk (written 0) and
// after every chunk; setting *cancel stops the write.
struct WriteProgress {
  void (*callback)(void* context, int64_t total, int64_t written, bool* cancel);
  void* context;
};

// Writes `bytes` through `write` (which returns the count it wrote, 0 on
// failure): in chunks when `progress` is given or the length exceeds 1 MiB,
// otherwise in one call. Stops at a write of 0 bytes or a cancel. True when
// every byte was written (an empty text is written at once).
using ChunkWrite = size_t (*)(void* context, const char* data, size_t size);
bool WriteChunked(const std::string& bytes, ChunkWrite write, void* writeContext,
                  const WriteProgress* progress);

// ---- Free space ----

// The drive form of a path: its first byte in upper case, then ":\".
std::string DriveRoot(const std::string& path);
// What GetDiskFree asks the system about: "/" read as "\"; "" for an empty
// path; the drive form without GetDiskFreeSpaceExA or for paths under 3 bytes;
// "\\server\share\" for a UNC path; else the text before the first "\" at or
// after byte 4 (C:\Data\Sub gives C:\Data), or the whole path.
std::string DiskFreeRoot(const std::string& path, bool haveGetDiskFreeSpaceEx);

// ---- Self-delete batch ----

// The text of the batch that deletes a program after its process has ended:
// ":START", DEL /F of the program, IF exist ... GOTO START, RD of its folder
// when asked, DEL of the batch itself; CR LF after each line, paths quoted,
// "%" doubled so that cmd does not expand it.
std::string SelfDeleteBatchText(const std::string& programPath, const std::string& programFolder,
                                const std::string& batchPath, bool removeFolder);
inline constexpr char kSelfDeleteBatchName[] = "_DEL_ME_.BAT";

// ---- Files (Windows builds) ----

// Moves a file pointer: origin 0 start, 1 current, 2 end. The new position,
// -1 on failure.
int64_t Seek64(void* handle, int origin, int64_t offset);
// The size of an open file, -1 on failure.
int64_t FileSize64(void* handle);
// The size of the first file matching `name` (wildcards allowed), 0 when none.
int64_t FileSizeByName(const std::string& name);

// Up to `limit` bytes (0: no limit) from `offset` to the end of the file. Empty
// when the file is missing, the offset is negative or not before the end, fewer
// bytes arrive than expected, or the stretch is above kMaxReadPart.
std::string ReadFilePart(const std::string& file, int64_t limit, int64_t offset);
inline constexpr int64_t kMaxReadPart = int64_t(256) << 20;

// Writes `bytes` to `file` (appended with `append`, else created or
// truncated), in chunks with `progress` or above 1 MiB. Sets the date stamp
// when not 0. True when every byte was written.
bool WriteFileText(const std::string& file, const std::string& bytes, uint32_t dateStamp,
                   bool append, const WriteProgress* progress = nullptr);

// Opens for writing with full sharing (creating the file when it does not
// exist), moves to the end, writes all bytes, sets the date stamp when not 0.
// True when every byte was written.
bool AppendText(const std::string& file, const std::string& bytes, uint32_t dateStamp);

// Free bytes available to the caller on the disk of `path`; -1 when unknown.
double GetDiskFree(const std::string& path);

// Deletes every file matching `mask` (read-only, hidden and system files
// included, folders not), first clearing attributes when asked. True when at
// least one file matched, deleted or not.
bool DeleteFiles(const std::string& mask, bool clearAttributes);
// Whether `path` names an existing folder.
bool IsFolder(const std::string& path);
// Creates a folder and every missing parent; true when it exists afterwards.
bool MakeFolders(const std::string& path);
// The packed DOS date-time (local time) of a file's last write; 0 when the
// file cannot be asked.
uint32_t FileDosStamp(const std::string& path);
// Deletes a folder with everything in it. Links to other folders (junctions,
// symbolic links) are removed, never followed. True when the folder existed
// before and does not exist after.
bool DeleteTree(const std::string& folder, bool clearAttributes);

// Writes the self-delete batch to the temporary folder and starts it hidden;
// it deletes the running program (and its folder when asked) once the process
// has ended. Makes the temporary folder the current one. True when started.
bool DeleteMySelf(bool removeFolder);

// Ejects the medium of a CD drive ("E", "E:", "E:\..."). False for anything
// that is not a CD drive, without opening a device.
bool EjectCD(const std::string& drive);
