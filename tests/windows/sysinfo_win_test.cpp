#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "env/dll_search.h"
#include "env/sysinfo.h"
#include "env/sysinfo_win32.h"
#include "env/version.h"
#include "windows/self_child.h"

namespace {

bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ProgramFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.rfind('\\'));
}

// A fresh Wine prefix reports Windows 7 SP1; this is a 64-bit program.
TEST(SystemVersion, FreshWinePrefix) {
  if (!UnderWine()) GTEST_SKIP() << "describes the Wine test prefix";
  const WindowsVersionInfo v = GetWindowsVersion();
  EXPECT_EQ(v.version, "6.1");
  EXPECT_EQ(v.name, "7.64");
  EXPECT_EQ(v.code, 0x800u);
  EXPECT_EQ(v.build, 7601u);
  EXPECT_EQ(v.servicePack, "Service Pack 1");
  EXPECT_TRUE(IsWindowsNT());
  EXPECT_TRUE(Is64BitWindows());
  EXPECT_FALSE(IsServer());
  EXPECT_FALSE(IsWindowsXP());
  EXPECT_FALSE(IsWindows8OrLater());
  EXPECT_FALSE(IsWindows2000());
  EXPECT_FALSE(IsWindowsNT4());
}

// Windows 8.1 and later report 6.3 to a program declared for 8.1 (and 6.2 to
// one declared for nothing): the record then takes kernel32.dll's product
// version. Under Wine a per-program Windows version and a manifest beside a
// copy of this program set that up.
TEST(SystemVersion, CorrectedFromKernelProductVersion) {
  if (!UnderWine()) GTEST_SKIP() << "switches the Windows version of a Wine prefix";
  self_child::TempFolder folder("sysinfo_v63");
  const std::string name = "win_tests_v63_" + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string copy = folder.File(name);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
  ASSERT_TRUE(self_child::WriteWholeFile(
      copy + ".manifest",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
      " <compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\"><application>\r\n"
      "  <supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>\r\n"
      " </application></compatibility>\r\n"
      "</assembly>\r\n"));
  const std::string appKey = "Software\\Wine\\AppDefaults\\" + name;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win10"), 6);
  RegCloseKey(key);

  const self_child::Result r =
      self_child::Run("SystemVersionChild.*", {{"SETUP_STUB_TEST_CHILD", "1"}}, copy);
  RegDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());
  DeleteFileA((copy + ".manifest").c_str());
  EXPECT_EQ(r.exitCode, 0);
  // The system reported 6.3; the record holds kernel32's numbers instead.
  const std::string kernel = GetProductVersion(SystemFolder() + "\\kernel32.dll", 1, 4);
  const std::string three = NormalizeVersion(kernel, 1, 3);  // e.g. 10.0.18362
  const std::string build = three.substr(three.rfind('.') + 1);
  const std::string version = NormalizeVersion(kernel, 1, 2);
  std::string want = "reported 6.3|" + version + "|" + build;
  if (version == "10.0") want += "|10.64|4194304|TRUE";
  EXPECT_EQ(r.report.substr(0, want.size()), want) << r.report;
}

TEST(SystemVersionChild, Corrected) {
  if (self_child::ChildArgument().empty())
    GTEST_SKIP() << "runs as the child of SystemVersion.CorrectedFromKernelProductVersion";
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof os;
  GetVersionExA(&os);
  const WindowsVersionInfo v = GetWindowsVersion();
  ASSERT_TRUE(self_child::Report("reported " + std::to_string(os.dwMajorVersion) + "." +
                                 std::to_string(os.dwMinorVersion) + "|" + v.version + "|" +
                                 std::to_string(v.build) + "|" + v.name + "|" +
                                 std::to_string(v.code) + "|" +
                                 (IsWindows8OrLater() ? "TRUE" : "FALSE")));
}

TEST(ExeVersion, OfFilesWithAndWithoutResource) {
  const std::string stub = ProgramFolder() + "\\stub.exe";
  ASSERT_NE(GetFileAttributesA(stub.c_str()), INVALID_FILE_ATTRIBUTES) << stub;
  EXPECT_EQ(GetExeVersion(stub, 1, 4), "1.0.0.1");
  EXPECT_EQ(GetExeVersion(stub, 2, 3), "01.00.00");
  EXPECT_EQ(GetProductVersion(stub, 1, 4), "1.0.0.1");
  EXPECT_EQ(GetProductVersion(stub, 3, 2), "001.000");

  self_child::TempFolder folder("exe_version");
  const std::string plain = folder.File("plain.exe");
  ASSERT_TRUE(self_child::WriteWholeFile(plain, "MZ not really a program"));
  EXPECT_EQ(GetExeVersion(plain, 1, 4), "");
  EXPECT_EQ(GetProductVersion(plain, 2, 3), "");
  EXPECT_EQ(GetExeVersion(folder.File("missing.exe"), 1, 4), "");
  EXPECT_EQ(GetExeVersion("", 1, 4), "");  // this test program has no version resource

  const std::string kernel = GetProductVersion(SystemFolder() + "\\kernel32.dll", 1, 4);
  EXPECT_FALSE(kernel.empty());
  EXPECT_EQ(kernel.find_first_not_of("0123456789."), std::string::npos) << kernel;
}

TEST(SystemFacts, UserAndComputer) {
  const std::string user = GetLoggedUserName();
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(user, self_child::EnvText("USERNAME"));
  EXPECT_EQ(GetComputerNameText(), self_child::EnvText("COMPUTERNAME"));
  EXPECT_FALSE(GetUserDomain().empty());
}

// The registration values live under "Windows NT" on NT, in the 64-bit view.
TEST(SystemFacts, RegisteredOwnerAndOrganization) {
  const char* kKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key),
            ERROR_SUCCESS);
  auto saved = [&](const char* name, std::string* value) {
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    const bool had = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf),
                                      &size) == ERROR_SUCCESS;
    *value = buf;
    return had;
  };
  std::string owner, organization;
  const bool hadOwner = saved("RegisteredOwner", &owner);
  const bool hadOrganization = saved("RegisteredOrganization", &organization);

  const char kOwner[] = "  Test Owner \t";
  const char kOrganization[] = " Test Organization ";
  RegSetValueExA(key, "RegisteredOwner", 0, REG_SZ, reinterpret_cast<const BYTE*>(kOwner), sizeof kOwner);
  RegSetValueExA(key, "RegisteredOrganization", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(kOrganization), sizeof kOrganization);
  EXPECT_EQ(GetRegisteredOwner(), "Test Owner");
  EXPECT_EQ(GetRegisteredOrganization(), "Test Organization");
  RegDeleteValueA(key, "RegisteredOwner");
  RegDeleteValueA(key, "RegisteredOrganization");
  EXPECT_EQ(GetRegisteredOwner(), GetLoggedUserName());
  EXPECT_EQ(GetRegisteredOrganization(), "");

  if (hadOwner)
    RegSetValueExA(key, "RegisteredOwner", 0, REG_SZ, reinterpret_cast<const BYTE*>(owner.c_str()),
                   DWORD(owner.size() + 1));
  if (hadOrganization)
    RegSetValueExA(key, "RegisteredOrganization", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(organization.c_str()), DWORD(organization.size() + 1));
  RegCloseKey(key);
}

TEST(SystemFacts, LastErrorText) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  const std::string text = GetLastErrorText();
  EXPECT_FALSE(text.empty());
  EXPECT_GT(static_cast<unsigned char>(text.back()), 32) << "line end left in: " << text;
  SetLastError(0x7FFFFFF0);  // no message for it
  EXPECT_EQ(GetLastErrorText(), "");
}

TEST(SystemFacts, StartupLibraries) {
  const UINT before = SetErrorMode(0);
  SetErrorMode(before);
  EXPECT_GE(LoadStartupLibraries(), 3);  // Wine has no MSLS31.dll
  EXPECT_NE(GetModuleHandleA("riched32.dll"), nullptr);
  EXPECT_NE(GetModuleHandleA("usp10.dll"), nullptr);
  EXPECT_EQ(SetErrorMode(before), before);  // the error mode is restored
}

TEST(WindowFacts, ClassCaptionAndTopOwner) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SysinfoWinTestClass";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND top = CreateWindowA(wc.lpszClassName, "Top caption", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                           nullptr, wc.hInstance, nullptr);
  ASSERT_NE(top, nullptr) << "needs a display";
  HWND middle = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 50, 50, top, nullptr,
                              wc.hInstance, nullptr);
  // Longer than any small fixed buffer (creation titles above 64 K characters
  // are cut by the system itself).
  const std::string longCaption(30000, 'c');
  HWND bottom = CreateWindowA("STATIC", longCaption.c_str(), WS_OVERLAPPED, 0, 0, 50, 50, middle,
                              nullptr, wc.hInstance, nullptr);
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(GetWindowClassText(top), "SysinfoWinTestClass");
  EXPECT_EQ(GetWindowClassText(bottom), "Static");
  EXPECT_EQ(GetWindowCaption(top), "Top caption");
  EXPECT_EQ(GetWindowCaption(middle), "");
  const std::string caption = GetWindowCaption(bottom);
  EXPECT_EQ(caption.size(), longCaption.size());
  EXPECT_TRUE(caption == longCaption);
  EXPECT_EQ(GetTopOwner(bottom), top);
  EXPECT_EQ(GetTopOwner(top), top);
  EXPECT_EQ(GetTopOwner(nullptr), nullptr);
  EXPECT_EQ(GetWindowClassText(nullptr), "");
  EXPECT_EQ(GetWindowCaption(nullptr), "");
  DestroyWindow(bottom);
  DestroyWindow(middle);
  DestroyWindow(top);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
