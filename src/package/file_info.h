// TGFileInfo: the trailer and header blocks of one setup file, held in memory.
#pragma once

#include <cstdint>
#include <string>

#include "package/byte_source.h"
#include "package/layout.h"

class TGFileInfo {
 public:
  TGFileInfo() = default;
  // Reads the trailer and, when Magic is right, the header blocks. A missing or
  // unreadable file leaves everything empty; nothing is kept open.
  explicit TGFileInfo(const ByteSource& src);
  static TGFileInfo FromPath(const std::string& path);

  const Trailer& trailer() const { return trailer_; }
  const std::string& strings_block() const { return strings_; }
  const std::string& options_block() const { return options_; }
  const std::string& download_block() const { return download_; }
  // Offset just past the header blocks (0 when they were not read).
  int64_t blocks_end() const { return blocks_end_; }

  bool ShowTempDriveNotice() const { return trailer_.ShowTempDriveNotice(); }
  bool MultiVolume() const { return trailer_.MultiVolume(); }
  bool SpannedCd() const { return trailer_.SpannedCd(); }
  bool ShowActivityBar() const { return trailer_.ShowActivityBar(); }
  bool LogFile() const { return trailer_.LogFile(); }
  bool WebDownload() const { return trailer_.WebDownload != 0; }
  bool ConfirmDownload() const { return trailer_.ConfirmDownload != 0; }
  bool MakeAgentCopy() const { return trailer_.MakeAgentCopy != 0; }
  bool ThisIs_AutoUpdateProg() const { return trailer_.ThisIs_AutoUpdateProg != 0; }

  // Options block.
  std::string InfoUrl() const;
  std::string InfoFileName() const;  // name part only
  std::string AgentFileName() const;
  std::string ProjectToken(bool descramble) const;
  bool HideExtraction() const;
  // InfoFileName cut at its first "." plus ".original".
  std::string SettingsFileName() const;

  // Download block.
  std::string DownloadUrl() const;
  std::string SetupFileName() const;
  bool AlwaysDownload() const;
  std::string DownloadToken(bool descramble) const;
  std::string DownloadSize() const;

  uint32_t SpaceRequired(uint64_t clusterSize) const;

 private:
  Trailer trailer_;
  std::string strings_, options_, download_;
  int64_t blocks_end_ = 0;
};

// Field i (from 0) of a "|"-style block whose first byte is its delimiter;
// empty when missing.
std::string BlockField(const std::string& block, int index);
