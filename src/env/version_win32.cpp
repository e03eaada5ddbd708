#include <windows.h>

#include <cstring>
#include <vector>

#include "env/dll_search.h"
#include "env/version.h"
#include "support/trace.h"

namespace {

// version.dll is no known DLL: imported statically, the loader would take it
// from the setup file's own folder before any of our code runs. It is loaded
// from the system folder on first use instead.
struct VersionApi {
  decltype(&GetFileVersionInfoSizeA) size = nullptr;
  decltype(&GetFileVersionInfoA) info = nullptr;
  decltype(&VerQueryValueA) query = nullptr;
};

const VersionApi& Version() {
  static VersionApi api;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    if (HMODULE lib = static_cast<HMODULE>(LoadSystemLibrary("version.dll"))) {
      api.size = reinterpret_cast<decltype(api.size)>(
          reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoSizeA")));
      api.info = reinterpret_cast<decltype(api.info)>(
          reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoA")));
      api.query = reinterpret_cast<decltype(api.query)>(
          reinterpret_cast<void*>(GetProcAddress(lib, "VerQueryValueA")));
    }
  }
  return api;
}

std::string PathOrSelf(const std::string& file) {
  if (!file.empty()) return file;
  char self[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, self, sizeof self - 1);
  return self;
}

// The whole version resource of `path`; false when it has none.
bool ReadVersionResource(const std::string& path, std::vector<char>* data) {
  const VersionApi& api = Version();
  if (!api.size || !api.info || !api.query) return false;
  DWORD ignored = 0;
  const DWORD size = api.size(path.c_str(), &ignored);
  if (size == 0) return false;
  data->assign(size < 16384 ? 16384 : size, '\0');
  return api.info(path.c_str(), 0, DWORD(data->size()), data->data()) != FALSE;
}

std::string Hex4(unsigned value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, value >>= 4) s[size_t(i)] = kDigits[value & 15];
  return s;
}

}  // namespace

std::string GetExeVersion(const std::string& file, int width, int parts) {
  const std::string path = PathOrSelf(file);
  std::vector<char> data;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!ReadVersionResource(path, &data)) return std::string();  // none: not a fault
  if (!Version().query(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
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

std::string GetProductVersion(const std::string& file, int width, int parts) {
  const std::string path = PathOrSelf(file);
  const char kName[] = "ProductVersion";
  std::string result;
  std::vector<char> data;
  WORD* translation = nullptr;
  UINT len = 0;
  if (ReadVersionResource(path, &data) &&
      Version().query(data.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translation), &len) &&
      translation && len >= 2 * sizeof(WORD)) {
    const std::string query =
        "\\StringFileInfo\\" + Hex4(translation[0]) + Hex4(translation[1]) + "\\" + kName;
    char* value = nullptr;
    UINT chars = 0;
    if (Version().query(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) &&
        value) {
      // `chars` counts the closing zero, when there is one.
      const void* zero = std::memchr(value, 0, chars);
      result.assign(value, zero ? static_cast<const char*>(zero) - value : chars);
      for (char& c : result)
        if (c == ',') c = '.';
      if (!result.empty() && (width > 1 || parts < 4)) result = NormalizeVersion(result, width, parts);
    }
  }
  TraceColumns("QueryValue", path, kName, result);
  return result;
}
