// Outside texts the stub reads: scrambled inform files (hexadecimal or not),
// registry values of any type, and strings blocks read through the language
// choice. None may crash or allocate beyond a small multiple of the input,
// and the hexadecimal and scrambled forms must round-trip.
#include <cstddef>
#include <cstdint>
#include <string>

#include "env/registry.h"
#include "package/languages.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t key = uint8_t(33 + data[0] % 90);
  const uint32_t type = data[1] % 12;
  const uint32_t locale = uint32_t(data[1]) << 8 | data[2];
  const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);

  for (bool hex : {false, true}) {
    const std::string restored = ScrambleText(text, false, hex);
    Check(restored.size() <= text.size());
    const std::string scrambled = ScrambleTextWithKey(text, true, hex, key);
    Check(scrambled.size() <= 2 * (text.size() + 13));
    // Text already in the scrambled form is left as it is.
    if (text.compare(0, 12, kScrambledMarker) != 0) Check(ScrambleText(scrambled, false, hex) == text);
  }
  Check(HexToBytes(BytesToHex(text, false, false)) == text);
  Check(HexToBytes(text).size() <= text.size() / 2 + 1);
  (void)HexToInt64(text, -1);

  const std::string value = RegValueText(type, text.data(), text.size());
  Check(value.size() <= 3 * text.size());

  SectionChoice choice;
  const std::string got = choice.Text(text, locale, "s0", "default");
  Check(got == "default" || got.size() < text.size());
  (void)choice.Text(text, locale, "Charset", "0");
  return 0;
}
