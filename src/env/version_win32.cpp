#include <windows.h>

#include <vector>

#include "env/version.h"
#include "support/trace.h"

std::string GetExeVersion(const std::string& file, int width, int parts) {
  std::string path = file;
  if (path.empty()) {
    char self[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    path = self;
  }
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> data(size < 16384 ? 16384 : size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, DWORD(data.size()), data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO)) {
    TraceException("Utils.GetExeVersion()", "", "no version resource");
    return std::string();
  }
  std::string text = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                     std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                     std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                     std::to_string(LOWORD(info->dwFileVersionLS));
  if (width > 1 || parts < 4) return NormalizeVersion(text, width, parts);
  return text;
}
