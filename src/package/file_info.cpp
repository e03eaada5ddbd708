#include "package/file_info.h"

#include "env/file_source.h"
#include "env/paths.h"
#include "package/package_reader.h"
#include "package/token.h"
#include "support/field_list.h"

namespace {

enum OptionField { kInfoUrl, kInfoFileName, kAgentFileName, kProjectToken, kHideExtraction };
enum DownloadField { kDownloadUrl, kSetupFileName, kAlwaysDownload, kDownloadToken, kDownloadSize };

}  // namespace

std::string BlockField(const std::string& block, int index) {
  return SUB::GetField(block, index, "");
}

TGFileInfo::TGFileInfo(const ByteSource& src) {
  trailer_ = ReadTrailer(src);
  if (!trailer_.HasPackage()) return;
  HeaderBlocks blocks = ReadHeaderBlocks(src, trailer_);
  strings_ = std::move(blocks.strings);
  options_ = std::move(blocks.options);
  download_ = std::move(blocks.download);
  blocks_end_ = blocks.end;
}

TGFileInfo TGFileInfo::FromPath(const std::string& path) {
  FileSource file(path);
  if (!file.is_open()) return TGFileInfo();
  return TGFileInfo(file);
}

std::string TGFileInfo::InfoUrl() const { return BlockField(options_, kInfoUrl); }
std::string TGFileInfo::InfoFileName() const {
  return FileNameOf(BlockField(options_, kInfoFileName));
}
std::string TGFileInfo::AgentFileName() const { return BlockField(options_, kAgentFileName); }
std::string TGFileInfo::ProjectToken(bool descramble) const {
  std::string raw = BlockField(options_, kProjectToken);
  return descramble ? DescrambleToken(raw) : raw;
}
bool TGFileInfo::HideExtraction() const { return BlockField(options_, kHideExtraction) == "1"; }

std::string TGFileInfo::SettingsFileName() const {
  std::string name = InfoFileName();
  return name.substr(0, name.find('.')) + ".original";
}

std::string TGFileInfo::DownloadUrl() const { return BlockField(download_, kDownloadUrl); }
std::string TGFileInfo::SetupFileName() const { return BlockField(download_, kSetupFileName); }
bool TGFileInfo::AlwaysDownload() const { return BlockField(download_, kAlwaysDownload) == "1"; }
std::string TGFileInfo::DownloadToken(bool descramble) const {
  std::string raw = BlockField(download_, kDownloadToken);
  return descramble ? DescrambleToken(raw) : raw;
}
std::string TGFileInfo::DownloadSize() const { return BlockField(download_, kDownloadSize); }

uint32_t TGFileInfo::SpaceRequired(uint64_t clusterSize) const {
  return SpaceRequiredFor(trailer_, clusterSize);
}
