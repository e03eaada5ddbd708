// Feeds arbitrary bytes to the setup-file reader and the token descrambler:
// neither may crash, read past the end or allocate beyond the input's size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/agent_file.h"
#include "package/file_info.h"
#include "package/package_reader.h"
#include "package/token.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource src(data, size);
  TGFileInfo info(src);
  size_t blocks = info.strings_block().size() + info.options_block().size() +
                  info.download_block().size();
  if (blocks > size) __builtin_trap();
  (void)FileChecksum(src, 74);
  (void)info.SettingsFileName();
  std::string token;
  TryDescrambleToken(info.ProjectToken(false), &token);
  std::string raw(reinterpret_cast<const char*>(data), size);
  if (TryDescrambleToken(raw, &token) && token.size() > size / 2) __builtin_trap();
  std::string agent;
  if (info.blocks_end() > 0) ComposeAgentFile(src, info.blocks_end(), info.trailer(), &agent);
  MakeWebDownloadAgentImage(&raw);
  return 0;
}
