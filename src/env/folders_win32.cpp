#include <windows.h>

#include "env/dll_search.h"
#include "env/files.h"
#include "env/folders.h"
#include "env/folders_win32.h"
#include "env/registry.h"
#include "env/switches.h"
#include "env/sysinfo.h"

namespace {

// The buffers the folder calls fill; a longer path comes back empty.
constexpr UINT kDirBuffer = 261;
constexpr size_t kShellBuffer = 1025;

void* LoadFromSystemFolder(const char* name) { return LoadSystemLibrary(name); }

std::string BufferText(const char* buffer, size_t size) {
  size_t n = 0;
  while (n < size && buffer[n] != '\0') ++n;
  return std::string(buffer, n);
}

}  // namespace

Win32FolderSystem::Win32FolderSystem(FolderLibraryLoader loader)
    : loader_(loader ? loader : LoadFromSystemFolder) {}

std::string Win32FolderSystem::WindowsDir() const {
  char buf[kDirBuffer] = {};
  GetWindowsDirectoryA(buf, kDirBuffer);
  return BufferText(buf, sizeof buf);
}

std::string Win32FolderSystem::SystemDir() const {
  char buf[kDirBuffer] = {};
  GetSystemDirectoryA(buf, kDirBuffer);
  return BufferText(buf, sizeof buf);
}

void* Win32FolderSystem::Proc(const char* library, const char* entry) const {
  // Loaded on every look-up and never freed; the system keeps one copy.
  void* module = loader_(library);
  if (reinterpret_cast<UINT_PTR>(module) < 33) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), entry));
}

std::string Win32FolderSystem::FolderPath(int csidl) const {
  using Fn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  const auto fn = reinterpret_cast<Fn>(Proc("SHFolder.dll", "SHGetFolderPathA"));
  if (!fn) return std::string();
  char buf[kShellBuffer] = {};
  if (fn(nullptr, csidl | kCsidlFlagCreate, nullptr, 0, buf) != 0) return std::string();
  return BufferText(buf, sizeof buf);
}

std::string Win32FolderSystem::SpecialFolderPath(int csidl) const {
  using Fn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  const auto fn = reinterpret_cast<Fn>(Proc("shell32.dll", "SHGetSpecialFolderPathA"));
  if (!fn) return std::string();
  char buf[kShellBuffer] = {};
  if (!fn(nullptr, buf, csidl, FALSE)) return std::string();
  return BufferText(buf, sizeof buf);
}

bool Win32FolderSystem::FolderExists(const std::string& path) const {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Win32FolderSystem::RegisteredOwner() const { return GetRegisteredOwner(); }

std::string Win32FolderSystem::RegistryValue(const std::string& key, const std::string& name) const {
  return ReadRegString(key, name, "", false);
}

const FolderSystem& SystemFolders() {
  static const Win32FolderSystem system;
  return system;
}

std::string GetExePath(bool baseNameOnly) { return ExePathText(ProcessModulePath(), baseNameOnly); }

std::string GetExeDir(bool trailingBackslash) {
  return SetTrailingBackslash(FolderOfFile(ProcessModulePath()), trailingBackslash);
}

std::string GetWindowsDir(bool trailingBackslash) {
  return GetWindowsDir(SystemFolders(), trailingBackslash);
}

std::string GetSystemDir(bool trailingBackslash) {
  return GetSystemDir(SystemFolders(), trailingBackslash);
}

std::string GetTempDir(bool trailingBackslash) {
  char buf[kDirBuffer] = {};
  GetTempPathA(kDirBuffer, buf);
  return SetTrailingBackslash(BufferText(buf, sizeof buf), trailingBackslash);
}

std::string GetSystem16Dir() { return GetSystem16Dir(SystemFolders()); }
std::string GetFontsDir() { return GetFontsDir(SystemFolders()); }
std::string GetProgramFilesDir() { return GetProgramFilesDir(SystemFolders()); }
std::string GetCommonFilesDir() { return GetCommonFilesDir(SystemFolders()); }
std::string GetStartMenuDir() { return GetStartMenuDir(SystemFolders()); }

std::string GetShellFolder(ShellFolder folder, bool trailingBackslash) {
  return GetShellFolder(SystemFolders(), folder, trailingBackslash);
}
