// System information: the Windows version as numbers, a short name and a bit
// code; 64-bit, server and NT tests; the logged-on user, computer, registered
// owner and organisation and domain; the last system error as text; the
// desktop work area; the libraries loaded at start-up.
//
// The naming of a version and the centring arithmetic are portable rules; the
// rest asks the system (sysinfo_win32.cpp, Windows builds only). Window facts
// taking a window handle are in sysinfo_win32.h.
#pragma once

#include <cstdint>
#include <string>

// What the system reports about itself (OSVERSIONINFOA).
struct WindowsVersionRecord {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform = 0;  // 0 Win32s, 1 Windows 9x, 2 NT family
  std::string servicePack;
};

// One bit per recognised version.
enum WindowsVersionCode : uint32_t {
  kWin95 = 0x1,  // also any other 9x
  kWin98 = 0x2,
  kWinMe = 0x4,
  kWinNT = 0x8,  // NT 4, also any unrecognised NT version
  kWin2000 = 0x10,
  kWinXP = 0x20,
  kWin2003 = 0x40,
  kWinVista = 0x80,
  kWinXP64 = 0x100,
  kWinVista64 = 0x200,
  kWin7 = 0x400,
  kWin7_64 = 0x800,
  kWin2008 = 0x1000,
  kWin2008_64 = 0x2000,
  kWin2008R2_64 = 0x4000,
  kWin8 = 0x8000,
  kWin8_64 = 0x10000,
  kWin2012_64 = 0x20000,
  kWin81 = 0x40000,
  kWin81_64 = 0x80000,
  kWin2012R2_64 = 0x100000,
  kWin10 = 0x200000,
  kWin10_64 = 0x400000,
};

// The description of a version record.
struct WindowsVersionInfo {
  std::string version;      // "major.minor", e.g. "6.1"
  std::string name;         // "7", "7.64", "2008R2.64", "NTx", ... ("" when unknown)
  std::string servicePack;  // trimmed
  uint32_t build = 0;       // low 16 bits of the build number
  uint32_t code = 0;        // a WindowsVersionCode, 0 when none
};

// Names a record. Rows are applied in order, a later match overriding an
// earlier one: 9x by version (a 4.10 with build 3000 is first taken as 4.90,
// "ME"); NT by version, then the 64-bit rows, then the server rows (64-bit
// servers 6.0 to 6.3, a 32-bit server 6.0). Server 5.2 and 10.0 keep the
// workstation names.
WindowsVersionInfo DescribeWindowsVersion(const WindowsVersionRecord& record, bool is64Bit,
                                          bool isServer);

// Systems from 8.1 on report 6.3 (or, to programs not declared for them, 6.2):
// a record of 6.3 or above takes major, minor and build from the first three
// "."-separated numbers of kernel32.dll's product version ("10.0.19041.1"),
// a missing or non-numeric field reading as 0. A product version whose first
// field is not a positive number leaves the record as reported.
WindowsVersionRecord CorrectedVersionRecord(const WindowsVersionRecord& reported,
                                            const std::string& kernelProductVersion);

// NT family and not below 6.2.
bool IsWindows8OrLaterRecord(const WindowsVersionRecord& record);

// The top-left corner that centres a width x height rectangle in the area
// (right and bottom exclusive); halves truncate toward zero, so a rectangle
// larger than the area by one pixel still starts at the area's edge.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
void CenterInRect(const ScreenRect& area, int width, int height, int* left, int* top);

// ---- The running system (Windows builds) ----

// The record, read once per process and corrected as above.
const WindowsVersionRecord& WindowsVersion();
WindowsVersionInfo GetWindowsVersion();
uint32_t GetWindowsVersionCode();
bool IsWindowsNT();
bool IsWindowsXP();  // NT 5.1; kept for the process
bool IsWindows8OrLater();
bool IsWindows2000();  // code 0x10
bool IsWindowsNT4();   // code 0x8
// SM_SERVERR2, or a product type of domain controller or server.
bool IsServer();
// Whether Windows itself is 64-bit; kept for the process. A 64-bit build
// always is; a 32-bit one asks for WOW64 and the entry points a 64-bit system
// has (GetNativeSystemInfo, IsWow64Process, the file-system redirection pair,
// GetSystemWow64DirectoryA, RegDeleteKeyExA).
bool Is64BitWindows();

// Trimmed texts, empty on failure.
std::string GetLoggedUserName();
std::string GetComputerNameText();
// Registry values "RegisteredOwner" / "RegisteredOrganization" of the
// CurrentVersion key (under "Windows NT" on NT), in the 64-bit view on 64-bit
// Windows; the owner defaults to the logged-on user name, the organisation
// to empty.
std::string GetRegisteredOwner();
std::string GetRegisteredOrganization();
// The domain of the logged-on user's account (LookupAccountNameA), empty on
// failure.
std::string GetUserDomain();
// The system's message for the calling thread's last error code, without
// trailing line ends; empty when the system has none.
std::string GetLastErrorText();

// Centres a width x height window in the desktop work area.
void CenterInWorkArea(int width, int height, int* left, int* top);

// Loads shell32.dll, USP10.dll, MSLS31.dll and RICHED32.DLL from the system
// folder with the no-open-file error box suppressed during the loads; they are
// never freed (the message box relies on the rich-edit class). Returns how
// many loaded. Call once at start-up.
int LoadStartupLibraries();
