// The command-line rules on arbitrary command lines, module paths and switch
// names, and the number reader they use: no crash or hang, and the answers
// keep their promises (a value is trimmed, a number is what its text reads).
#include <cstddef>
#include <cstdint>
#include <string>

#include "env/switches.h"
#include "env/text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsTrimmed(const std::string& s) {
  return s.empty() || (static_cast<unsigned char>(s.front()) > 32 &&
                       static_cast<unsigned char>(s.back()) > 32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Command line, module path and switch name, separated by 0xFE bytes.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t c1 = all.find('\xFE');
  const size_t c2 = c1 == std::string::npos ? std::string::npos : all.find('\xFE', c1 + 1);
  const std::string commandLine = all.substr(0, c1);
  const std::string module =
      c1 == std::string::npos ? std::string("C:\\x\\setup.exe") : all.substr(c1 + 1, c2 - c1 - 1);
  const std::string name = c2 == std::string::npos ? std::string("/A=") : all.substr(c2 + 1);

  const std::string tail = GetCommandTail(commandLine, module);
  Check(tail.size() <= commandLine.size());
  Check(IsTrimmed(tail));

  const std::string value = GetSwitchValue(commandLine, module, name, "<absent>");
  Check(value == "<absent>" || (IsTrimmed(value) && value.size() <= commandLine.size()));
  const std::string plain = GetSwitchValue(commandLine, module, name, "");
  Check(GetSwitchNumber(commandLine, module, name, -77) == TextToInt64(plain, -77));
  (void)HasSwitch(commandLine, module, name);

  // The number reader itself: every value it gives back is read again the
  // same from its decimal text.
  const int64_t n = TextToInt64(all, 0);
  Check(TextToInt64(IntToText(n), 1) == n);
  return 0;
}
