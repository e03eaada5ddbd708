// Libraries loaded by name must come from the system folder, not from the
// program's folder (where a downloaded setup file's neighbours could plant a
// DLL of the same name).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "env/dll_search.h"
#include "env/files.h"
#include "env/switches.h"
#include "env/text.h"

namespace {

#ifndef LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000
#endif

using ProbeFn = const char* (*)();

std::string ProgramFolder() { return FolderOfFile(ProcessModulePath()); }

// One copy of the probe library beside the test program and one in the
// system folder, both under `name`; removed again at the end.
class PlantedPair {
 public:
  explicit PlantedPair(const std::string& name)
      : name_(name),
        beside_(ProgramFolder() + "\\" + name),
        system_(SystemFolder() + "\\" + name) {
    const std::string built = ProgramFolder() + "\\search_probe.dll";
    ok_ = CopyFileA(built.c_str(), beside_.c_str(), FALSE) &&
          CopyFileA(built.c_str(), system_.c_str(), FALSE);
  }
  ~PlantedPair() {
    for (HMODULE h; (h = GetModuleHandleA(name_.c_str())) != nullptr;) FreeLibrary(h);
    DeleteFileA(beside_.c_str());
    DeleteFileA(system_.c_str());
  }
  bool ok() const { return ok_; }
  const std::string& beside() const { return beside_; }
  const std::string& system() const { return system_; }

 private:
  std::string name_, beside_, system_;
  bool ok_ = false;
};

std::string LoadedFrom(HMODULE h) {
  if (!h) return "(not loaded)";
  const auto probe =
      reinterpret_cast<ProbeFn>(reinterpret_cast<void*>(GetProcAddress(h, "ProbeModulePath")));
  return probe ? probe() : "(no probe)";
}

TEST(DllSearch, SystemCopyWinsOverPlantedOne) {
  // The fixture itself: a plain load by name takes the copy beside the
  // program, which is the fault being guarded against.
  PlantedPair plain("search_probe_plain.dll");
  ASSERT_TRUE(plain.ok());
  EXPECT_TRUE(SameText(LoadedFrom(LoadLibraryA("search_probe_plain.dll")), plain.beside()));

  // LoadProc: always the system copy.
  PlantedPair viaLoadProc("search_probe_proc.dll");
  ASSERT_TRUE(viaLoadProc.ok());
  const auto probe = reinterpret_cast<ProbeFn>(LoadProc("search_probe_proc.dll", "ProbeModulePath"));
  ASSERT_NE(probe, nullptr);
  EXPECT_TRUE(SameText(probe(), viaLoadProc.system())) << probe();

  // After the start-up restriction, even a plain load by name.
  PlantedPair restricted("search_probe_restricted.dll");
  ASSERT_TRUE(restricted.ok());
  if (!RestrictDllSearchToSystem()) GTEST_SKIP() << "no SetDefaultDllDirectories here";
  const std::string from = LoadedFrom(LoadLibraryA("search_probe_restricted.dll"));
  // Put the usual search back for the other tests of this process.
  using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDirs>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  EXPECT_TRUE(SameText(from, restricted.system())) << from;
}

TEST(DllSearch, SystemLibrariesStillLoad) {
  for (const char* name : {"kernel32.dll", "user32.dll", "shell32.dll", "wininet.dll",
                           "psapi.dll", "riched32.dll", "usp10.dll"}) {
    const HMODULE h = static_cast<HMODULE>(LoadSystemLibrary(name));
    EXPECT_NE(h, nullptr) << name;
  }
  EXPECT_EQ(LoadSystemLibrary(""), nullptr);
  EXPECT_EQ(LoadSystemLibrary("no_such_library_here.dll"), nullptr);
  EXPECT_FALSE(SystemFolder().empty());
  EXPECT_NE(SystemFolder().back(), '\\');
}

}  // namespace
