#include "setup/work_folder.h"

#include "env/files.h"
#include "env/text.h"
#include "package/file_info.h"
#include "package/languages.h"

std::string WorkFolderName(const std::string& tempFolder, uint32_t dosDateTime) {
  return SetTrailingBackslash(tempFolder, true) + "SETUP_" + std::to_string(dosDateTime & 0xFFFF);
}

std::string FirstFreeFolderName(const std::string& base, int limit,
                                bool (*held)(const std::string& folder, void* context),
                                void* context) {
  for (int i = 1; i <= limit; ++i) {
    const std::string name = i == 1 ? base : base + "_" + IntToText(i);
    if (!held(name, context)) return name;
  }
  return std::string();
}

std::string Megabytes(int64_t bytes) {
  const double mb = bytes <= 0 ? 0.0 : double(bytes) / 1048576.0;
  const int digits = mb > 10 ? 1 : (mb < 1 ? 3 : 2);
  return FloatToFixed(digits, mb);
}

char BestOtherDrive(char currentDrive, const int64_t freeBytes[3]) {
  char best = UpperChar(currentDrive);
  int64_t most = 0;
  for (int i = 0; i < 3; ++i) {
    if (freeBytes[i] > most) {
      most = freeBytes[i];
      best = char('C' + i);
    }
  }
  return best != UpperChar(currentDrive) ? best : 0;
}

SpaceTexts SpaceTextsOf(const TGFileInfo& info) {
  return {StubText(info, "s2"), StubText(info, "s3"), StubText(info, "s4"), StubText(info, "s5"),
          StubText(info, "s6")};
}

std::string FreeSpaceQuestion(bool showNotice, const SpaceTexts& texts, const std::string& folder,
                              int64_t requiredBytes, int64_t freeBytes) {
  std::string message;
  if (showNotice) message = texts.notice;
  if (requiredBytes >= freeBytes) message = texts.shortOfSpace;
  if (message.empty()) return message;
  message += texts.required + texts.available + texts.question;
  const std::string drive = folder.empty() ? std::string() : std::string(1, UpperChar(folder[0])) + ":";
  message = ReplaceAll(message, "<DRIVE>", drive, false);
  message = ReplaceAll(message, "<SPACE_REQ>", Megabytes(requiredBytes), false);
  return ReplaceAll(message, "<SPACE_AVAIL>", Megabytes(freeBytes), false);
}
