// The folder facts of the running system, with the shell libraries' loader
// as a seam so that tests can take the shell away.
#pragma once

#include <string>

#include "env/folders.h"

// Loads a library by name; nullptr (or a value below 33) when it cannot.
using FolderLibraryLoader = void* (*)(const char* name);

class Win32FolderSystem : public FolderSystem {
 public:
  // The default loader takes libraries from the system folder only.
  explicit Win32FolderSystem(FolderLibraryLoader loader = nullptr);
  std::string WindowsDir() const override;
  std::string SystemDir() const override;
  std::string FolderPath(int csidl) const override;
  std::string SpecialFolderPath(int csidl) const override;
  bool FolderExists(const std::string& path) const override;
  std::string RegisteredOwner() const override;
  std::string RegistryValue(const std::string& key, const std::string& name) const override;

 private:
  void* Proc(const char* library, const char* entry) const;
  FolderLibraryLoader loader_;
};

// The process's folder facts (default loader).
const FolderSystem& SystemFolders();
