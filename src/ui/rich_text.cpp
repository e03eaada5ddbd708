#include "ui/rich_text.h"

#include <algorithm>

#include "env/text.h"

namespace {

// Offsets past 64 KiB stay at the end of the 16-bit range rather than wrap to
// the start of the text.
uint16_t Offset16(size_t offset) { return uint16_t(std::min<size_t>(offset, 0xFFFF)); }

}  // namespace

RichText LayoutRichText(const std::string& text) {
  RichText out;
  std::string plain = MarkupToText(text);
  if (plain.compare(0, 4, "<<b>") == 0) plain.erase(0, 1);
  // Tags are found on an upper-case copy kept in step with the text, so that
  // "<b>" and "<B>" both count while the text keeps its letter case.
  std::string upper = UpperAscii(plain);
  static const std::string kOpen = "<B>", kClose = "</B>";
  for (size_t open = upper.find(kOpen); open != std::string::npos; open = upper.find(kOpen)) {
    plain.erase(open, kOpen.size());
    upper.erase(open, kOpen.size());
    const size_t close = upper.find(kClose);
    if (close != std::string::npos && close >= open) {
      plain.erase(close, kClose.size());
      upper.erase(close, kClose.size());
      out.bold.push_back({Offset16(open), Offset16(close)});
    }
  }
  for (size_t close = upper.find(kClose); close != std::string::npos; close = upper.find(kClose, close)) {
    plain.erase(close, kClose.size());
    upper.erase(close, kClose.size());
  }
  out.plain = std::move(plain);
  return out;
}

std::vector<std::string> SplitLines(const std::string& plain) {
  std::vector<std::string> lines;
  if (plain.empty()) return {" "};
  size_t from = 0;
  for (;;) {
    const size_t at = plain.find("\r\n", from);
    if (at == std::string::npos) break;
    lines.push_back(plain.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(plain.substr(from));
  return lines;
}

int LineHeight(int fontHeight, int externalLeading, const std::string& faceName) {
  return fontHeight + externalLeading + (SameTextTrimmed(faceName, "MS PGothic") ? 1 : 0);
}

TextSize MeasureLines(const std::vector<int>& lineExtents, int lineHeight) {
  TextSize size;
  int widest = 0;
  for (int extent : lineExtents) {
    const int e = std::max(extent, 0);
    widest = std::max(widest, e);
    size.height += (e / kWrapWidth + 1) * lineHeight;
  }
  size.width = std::min(widest + 10, kWrapWidth);
  return size;
}

int FitBoldWidth(int width, int height, TryWidth tryWidth, void* context) {
  int largestAsked = 0;
  for (int i = 0; i <= 20; ++i) {
    const int w = width + 10 * i;
    const AskedSize asked = tryWidth(context, w);
    if (asked.height <= height) return w;
    largestAsked = std::max(largestAsked, asked.width);
  }
  const int w = std::max(width, largestAsked) + 10;
  tryWidth(context, w);
  return w;
}
