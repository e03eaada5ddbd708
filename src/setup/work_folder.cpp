#include "setup/work_folder.h"

#include "env/files.h"

std::string WorkFolderName(const std::string& tempFolder, uint32_t dosDateTime) {
  return SetTrailingBackslash(tempFolder, true) + "SETUP_" + std::to_string(dosDateTime & 0xFFFF);
}
