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
  // In whole numbers (halves rounded up): the stub carries no float formatting.
  const uint64_t b = bytes <= 0 ? 0 : uint64_t(bytes);
  const int digits = b > (uint64_t(10) << 20) ? 1 : (b < (uint64_t(1) << 20) ? 3 : 2);
  const uint64_t scale = digits == 1 ? 10 : (digits == 2 ? 100 : 1000);
  uint64_t whole = b >> 20;
  uint64_t fraction = ((b & 0xFFFFF) * scale + (1u << 19)) >> 20;
  if (fraction == scale) {
    ++whole;
    fraction = 0;
  }
  return IntToText(int64_t(whole)) + "." + ZeroPad(int64_t(fraction), size_t(digits));
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
