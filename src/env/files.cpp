#include "env/files.h"

#include "env/text.h"

namespace {

// 0-based index of the last "\" or "/" that is a character of its own (not the
// second byte of a double-byte character); npos when none.
size_t LastSeparator(const std::string& path, LeadBytePredicate isLead) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (isLead(c) && i + 1 < path.size()) {
      ++i;  // skip the second byte
    } else if (c == '\\' || c == '/') {
      last = i;
    }
  }
  return last;
}

bool EndsInBackslash(const std::string& path, LeadBytePredicate isLead) {
  return !path.empty() && path.back() == '\\' && !EndsInTrailByte(path, isLead);
}

}  // namespace

bool EndsInTrailByte(const std::string& text, LeadBytePredicate isLead) {
  // A byte before the last may itself be a second byte, so "is the previous
  // byte a lead byte" is not enough: walk the characters.
  bool trail = false;
  for (size_t i = 0; i < text.size(); ++i) {
    trail = false;
    if (isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;
      trail = true;
    }
  }
  return trail;
}

std::string SetTrailingBackslash(const std::string& path, bool add, LeadBytePredicate isLead) {
  std::string r = path;
  if (r.size() >= 3 && EndsInBackslash(r, isLead)) r.pop_back();
  if (add) r += '\\';
  return r;
}

std::string RemoveTrailingBackslash(const std::string& path, LeadBytePredicate isLead) {
  if (path == "\\") return std::string();
  if (path.size() >= 2 && EndsInBackslash(path, isLead)) return path.substr(0, path.size() - 1);
  return path;
}

std::string FileBaseName(const std::string& path, bool allExtensions, LeadBytePredicate isLead) {
  const size_t sep = LastSeparator(path, isLead);
  std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  // "." is below every trail byte range, so a plain search is safe here.
  size_t dot = allExtensions ? name.find('.') : name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FolderOfFile(const std::string& path, LeadBytePredicate isLead) {
  const size_t sep = LastSeparator(path, isLead);
  if (sep == std::string::npos) return std::string();
  return RemoveTrailingBackslash(path.substr(0, sep + 1), isLead);
}

size_t WriteChunkSize(size_t length) {
  const size_t tenth = length / 10;
  if (tenth <= 1024) return length < 1024 ? length : 1024;
  return tenth < 1048576 ? tenth : 1048576;
}

bool WriteChunked(const std::string& bytes, ChunkWrite write, void* writeContext,
                  const WriteProgress* progress) {
  const size_t total = bytes.size();
  if (progress == nullptr && total <= 1048576) {
    return total == 0 || write(writeContext, bytes.data(), total) == total;
  }
  const size_t chunk = WriteChunkSize(total);
  bool cancel = false;
  if (progress) progress->callback(progress->context, int64_t(total), 0, &cancel);
  size_t done = 0;
  while (done < total && !cancel) {
    const size_t want = total - done < chunk ? total - done : chunk;
    const size_t wrote = write(writeContext, bytes.data() + done, want);
    if (wrote == 0) break;
    done += wrote > want ? want : wrote;
    if (progress) progress->callback(progress->context, int64_t(total), int64_t(done), &cancel);
  }
  return done == total;
}

std::string DriveRoot(const std::string& path) {
  if (path.empty()) return std::string();
  return std::string(1, UpperChar(path[0])) + ":\\";
}

std::string DiskFreeRoot(const std::string& path, bool haveGetDiskFreeSpaceEx) {
  const std::string p = ReplaceChar(path, '/', '\\');
  if (p.empty()) return std::string();
  if (!haveGetDiskFreeSpaceEx || p.size() < 3) return DriveRoot(p);
  if (p.compare(0, 2, "\\\\") == 0) {
    // A UNC path: the share is the smallest folder the system answers for.
    const size_t server = p.find('\\', 2);
    if (server == std::string::npos) return p + "\\";
    const size_t share = p.find('\\', server + 1);
    return share == std::string::npos ? p + "\\" : p.substr(0, share + 1);
  }
  const size_t at = p.find('\\', 3);
  return at == std::string::npos ? p : p.substr(0, at);
}

std::string SelfDeleteBatchText(const std::string& programPath, const std::string& programFolder,
                                const std::string& batchPath, bool removeFolder) {
  // Inside a batch file "%" starts a variable even within quotes.
  auto quoted = [](const std::string& path) {
    return "\"" + ReplaceAll(path, "%", "%%", false) + "\"";
  };
  // DEL /F: a read-only program (copied from a CD) could never be deleted
  // otherwise, and the loop would spin for ever.
  std::string text = ":START\r\n";
  text += "DEL /F " + quoted(programPath) + "\r\n";
  text += "IF exist " + quoted(programPath) + " GOTO START\r\n";
  if (removeFolder) text += "RD " + quoted(programFolder) + "\r\n";
  text += "DEL " + quoted(batchPath) + "\r\n";
  return text;
}
