#include "env/sysinfo.h"

#include <cstdint>

#include "env/text.h"

namespace {

struct NamedVersion {
  const char* version;
  const char* name;
  uint32_t code;
};

const NamedVersion k9x[] = {
    {"4.0", "95", kWin95},
    {"4.10", "98", kWin98},
    {"4.90", "ME", kWinMe},
};
const NamedVersion kNT[] = {
    {"4.0", "NT", kWinNT},         {"5.0", "2000", kWin2000},   {"5.1", "XP", kWinXP},
    {"5.2", "2003", kWin2003},     {"6.0", "Vista", kWinVista}, {"6.1", "7", kWin7},
    {"6.2", "8", kWin8},           {"6.3", "8.1", kWin81},      {"10.0", "10", kWin10},
};
const NamedVersion kNT64[] = {
    {"5.2", "XP.64", kWinXP64}, {"6.0", "Vista.64", kWinVista64}, {"6.1", "7.64", kWin7_64},
    {"6.2", "8.64", kWin8_64},  {"6.3", "8.1.64", kWin81_64},     {"10.0", "10.64", kWin10_64},
};
const NamedVersion kServer64[] = {
    {"6.0", "2008.64", kWin2008_64},
    {"6.1", "2008R2.64", kWin2008R2_64},
    {"6.2", "2012.64", kWin2012_64},
    {"6.3", "2012R2.64", kWin2012R2_64},
};
const NamedVersion kServer32[] = {
    {"6.0", "2008", kWin2008},
};

template <size_t N>
bool Apply(const NamedVersion (&rows)[N], WindowsVersionInfo* info) {
  for (const NamedVersion& row : rows) {
    if (info->version == row.version) {
      info->name = row.name;
      info->code = row.code;
      return true;
    }
  }
  return false;
}

// A decimal field of a version text; 0 when empty, not a number or too large.
uint32_t VersionField(const std::string& text) {
  if (text.empty() || text.size() > 9) return 0;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + uint32_t(c - '0');
  }
  return v;
}

}  // namespace

WindowsVersionInfo DescribeWindowsVersion(const WindowsVersionRecord& record, bool is64Bit,
                                          bool isServer) {
  WindowsVersionInfo info;
  info.version = std::to_string(record.major) + "." + std::to_string(record.minor);
  info.servicePack = Trim(record.servicePack);
  info.build = record.build & 0xFFFF;
  switch (record.platform) {
    case 0:
      info.name = "32S";
      break;
    case 1:
      // Windows ME reports itself as 4.10 build 3000.
      if (info.version == "4.10" && info.build == 3000) info.version = "4.90";
      if (!Apply(k9x, &info)) {
        info.name = "9x";
        info.code = kWin95;
      }
      break;
    case 2:
      if (!Apply(kNT, &info)) {
        info.name = "NTx";
        info.code = kWinNT;
      }
      if (is64Bit) Apply(kNT64, &info);
      if (isServer && is64Bit) Apply(kServer64, &info);
      if (isServer && !is64Bit) Apply(kServer32, &info);
      break;
    default:
      break;
  }
  return info;
}

WindowsVersionRecord CorrectedVersionRecord(const WindowsVersionRecord& reported,
                                            const std::string& kernelProductVersion) {
  if (reported.major < 6 || reported.minor < 3) return reported;
  uint32_t fields[3] = {};
  size_t from = 0;
  for (uint32_t& field : fields) {
    if (from > kernelProductVersion.size()) break;
    size_t dot = kernelProductVersion.find('.', from);
    if (dot == std::string::npos) dot = kernelProductVersion.size();
    field = VersionField(kernelProductVersion.substr(from, dot - from));
    from = dot + 1;
  }
  // Without a readable product version the reported numbers are the better
  // answer: zeros would name the system "NTx".
  if (fields[0] == 0) return reported;
  WindowsVersionRecord corrected = reported;
  corrected.major = fields[0];
  corrected.minor = fields[1];
  corrected.build = fields[2];
  return corrected;
}

bool IsWindows8OrLaterRecord(const WindowsVersionRecord& record) {
  return record.platform == 2 && (record.major > 6 || (record.major == 6 && record.minor >= 2));
}

void CenterInRect(const ScreenRect& area, int width, int height, int* left, int* top) {
  // Computed in 64 bits and clamped, so that no input can overflow.
  const int64_t x = area.left + (int64_t(area.right) - area.left - width) / 2;
  const int64_t y = area.top + (int64_t(area.bottom) - area.top - height) / 2;
  *left = int(ClampInt64(x, INT32_MIN, INT32_MAX));
  *top = int(ClampInt64(y, INT32_MIN, INT32_MAX));
}
