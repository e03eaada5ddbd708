#include <windows.h>

#include <vector>

#include "env/dll_search.h"
#include "env/registry.h"
#include "env/sysinfo.h"
#include "env/sysinfo_win32.h"
#include "env/text.h"
#include "env/version.h"

namespace {


std::string BufferText(const char* buffer, size_t size) {
  size_t n = 0;
  while (n < size && buffer[n] != '\0') ++n;
  return std::string(buffer, n);
}

WindowsVersionRecord ReadVersionRecord() {
  WindowsVersionRecord record;
  OSVERSIONINFOA os{};
  os.dwOSVersionInfoSize = sizeof os;
  if (!GetVersionExA(&os)) return record;
  record.major = os.dwMajorVersion;
  record.minor = os.dwMinorVersion;
  record.build = os.dwBuildNumber;
  record.platform = os.dwPlatformId;
  record.servicePack = BufferText(os.szCSDVersion, sizeof os.szCSDVersion);
  if (record.major >= 6 && record.minor >= 3) {
    const std::string folder = SystemFolder();
    if (!folder.empty())
      record = CorrectedVersionRecord(record, GetProductVersion(folder + "\\kernel32.dll", 1, 4));
  }
  return record;
}

// The CurrentVersion key that holds the registration values.
std::string RegistrationKey() {
  std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  if (IsWindowsNT()) key = ReplaceAll(key, "Windows", "Windows NT", false);
  return key;
}

#ifndef _WIN64
// Through void*: a FARPROC cast straight to another function type warns.
void* KernelProc(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}

bool Wow64Process() {
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = reinterpret_cast<IsWow64Fn>(KernelProc("IsWow64Process"));
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}
#endif

}  // namespace

const WindowsVersionRecord& WindowsVersion() {
  static const WindowsVersionRecord record = ReadVersionRecord();
  return record;
}

WindowsVersionInfo GetWindowsVersion() {
  return DescribeWindowsVersion(WindowsVersion(), Is64BitWindows(), IsServer());
}

uint32_t GetWindowsVersionCode() { return GetWindowsVersion().code; }

bool IsWindowsNT() { return WindowsVersion().platform == VER_PLATFORM_WIN32_NT; }

bool IsWindowsXP() {
  static const bool xp = IsWindowsNT() && WindowsVersion().major == 5 && WindowsVersion().minor == 1;
  return xp;
}

bool IsWindows8OrLater() { return IsWindows8OrLaterRecord(WindowsVersion()); }
bool IsWindows2000() { return GetWindowsVersionCode() == kWin2000; }
bool IsWindowsNT4() { return GetWindowsVersionCode() == kWinNT; }

bool IsServer() {
  if (GetSystemMetrics(SM_SERVERR2) != 0) return true;
  OSVERSIONINFOEXA os{};
  os.dwOSVersionInfoSize = sizeof os;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&os))) return false;
  return os.wProductType == VER_NT_DOMAIN_CONTROLLER || os.wProductType == VER_NT_SERVER;
}

bool Is64BitWindows() {
#ifdef _WIN64
  // A 64-bit program only runs on 64-bit Windows; the WOW64 test below would
  // answer false for it.
  return true;
#else
  static const bool is64 = [] {
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    const auto nativeInfo = reinterpret_cast<NativeInfoFn>(KernelProc("GetNativeSystemInfo"));
    if (!nativeInfo) return false;
    SYSTEM_INFO si{};
    nativeInfo(&si);
    if (!Wow64Process()) return false;
    if (!KernelProc("Wow64DisableWow64FsRedirection") ||
        !KernelProc("Wow64RevertWow64FsRedirection") || !KernelProc("GetSystemWow64DirectoryA"))
      return false;
    return GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA") != nullptr;
  }();
  return is64;
#endif
}

std::string GetLoggedUserName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return std::string();
  return Trim(BufferText(name, sizeof name));
}

std::string GetComputerNameText() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return std::string();
  return Trim(BufferText(name, sizeof name));
}

std::string GetRegisteredOwner() {
  return Trim(ReadRegString(RegistrationKey(), "RegisteredOwner", GetLoggedUserName(),
                            Is64BitWindows()));
}

std::string GetRegisteredOrganization() {
  return Trim(ReadRegString(RegistrationKey(), "RegisteredOrganization", "", Is64BitWindows()));
}

std::string GetUserDomain() {
  const std::string user = GetLoggedUserName();
  if (user.empty()) return std::string();
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  LookupAccountNameA(nullptr, user.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  // A SID is at most 68 bytes and a domain name far below 64 KB: anything
  // else is not an answer to trust with an allocation.
  if (sidSize == 0 || sidSize > 1024 || domainSize > 65536) return std::string();
  std::vector<char> sid(sidSize);
  std::vector<char> domain(size_t(domainSize) + 1, '\0');
  DWORD domainChars = domainSize + 1;
  if (!LookupAccountNameA(nullptr, user.c_str(), sid.data(), &sidSize, domain.data(), &domainChars,
                          &use))
    return std::string();
  return BufferText(domain.data(), domain.size());
}

std::string GetLastErrorText() {
  const DWORD code = GetLastError();
  char text[1024] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 code, 0, text, sizeof text, nullptr);
  std::string s = BufferText(text, n < sizeof text ? n : sizeof text);
  // Messages end in CR LF, which would break a trace line.
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.pop_back();
  return s;
}

void CenterInWorkArea(int width, int height, int* left, int* top) {
  RECT r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  ScreenRect area;
  area.left = r.left;
  area.top = r.top;
  area.right = r.right;
  area.bottom = r.bottom;
  CenterInRect(area, width, height, left, top);
}

int LoadStartupLibraries() {
  static const char* const kLibraries[] = {"shell32.dll", "USP10.dll", "MSLS31.dll", "RICHED32.DLL"};
  int loaded = 0;
  for (const char* name : kLibraries) {
    // A missing library must not raise the system's "cannot find" box.
    const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    if (LoadSystemLibrary(name)) ++loaded;
    SetErrorMode(previous);
  }
  return loaded;
}

std::string GetWindowClassText(HWND window) {
  if (!window) return std::string();
  std::vector<char> name(16385, '\0');
  const int n = GetClassNameA(window, name.data(), int(name.size()));
  return n > 0 ? BufferText(name.data(), size_t(n)) : std::string();
}

std::string GetWindowCaption(HWND window) {
  if (!window) return std::string();
  std::vector<char> text(102401, '\0');
  const int n = GetWindowTextA(window, text.data(), int(text.size()));
  return n > 0 ? BufferText(text.data(), size_t(n)) : std::string();
}

HWND GetTopOwner(HWND window) {
  // Owner chains cannot loop, but a window destroyed mid-walk could hand out
  // a reused handle: the walk is bounded all the same.
  for (int i = 0; window && i < 4096; ++i) {
    const HWND owner = GetWindow(window, GW_OWNER);
    if (!owner) return window;
    window = owner;
  }
  return window;
}
