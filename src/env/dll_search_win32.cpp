#include <windows.h>

#include "env/dll_search.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {
void* Proc(HMODULE module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}
}  // namespace

bool RestrictDllSearchToSystem() {
  // SetDefaultDllDirectories exists from Windows 8 and on Vista/7 with
  // KB2533623; it is looked up so that the stub still starts without it.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
  using SetDllDir = BOOL(WINAPI*)(LPCSTR);
  const auto setDefault =
      reinterpret_cast<SetDefaultDirs>(Proc(kernel, "SetDefaultDllDirectories"));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  // Older systems: at least take the current folder out of the search order.
  // The program folder stays in it, so LoadSystemLibrary loads by full path.
  const auto setDir = reinterpret_cast<SetDllDir>(Proc(kernel, "SetDllDirectoryA"));
  if (setDir) setDir("");
  return false;
}

std::string SystemFolder() {
  char buf[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string s(buf, n);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

void* LoadSystemLibrary(const std::string& name) {
  if (name.empty()) return nullptr;
  if (name.find_first_of("\\/:") != std::string::npos) return LoadLibraryA(name.c_str());
  const std::string folder = SystemFolder();
  if (folder.empty()) return nullptr;
  // LOAD_WITH_ALTERED_SEARCH_PATH: the library's own imports are searched
  // from its folder (the system folder), not from the program's folder.
  const std::string path = folder + "\\" + name;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
