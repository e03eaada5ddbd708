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

  // The tags as written, left to right. Taking the first "<B>" again and
  // again, with the first "</B>" left in the text as its end, is done here in
  // one pass over these lists, so that a text full of tags costs no more than
  // its length.
  const std::string upper = UpperAscii(plain);
  std::vector<size_t> opens, closes;
  for (size_t i = 0; i < upper.size();) {
    if (upper.compare(i, 3, "<B>") == 0) {
      opens.push_back(i);
      i += 3;
    } else if (upper.compare(i, 4, "</B>") == 0) {
      closes.push_back(i);
      i += 4;
    } else {
      ++i;
    }
  }
  size_t used = 0;  // closes[0, used) ended a run and are gone
  for (size_t k = 0; k < opens.size() && used < closes.size(); ++k) {
    const size_t open = opens[k], close = closes[used];
    // A "</B>" ahead of the opening stays the first one left in the text for
    // good: no run ends after that.
    if (close < open) break;
    // Offsets in the text as it stands when the run is found: the openings
    // up to this one and the used closings before each position are gone;
    // later openings are still there.
    const size_t usedBefore = std::min<size_t>(
        used, size_t(std::lower_bound(closes.begin(), closes.end(), open) - closes.begin()));
    out.bold.push_back({Offset16(open - 3 * k - 4 * usedBefore), Offset16(close - 3 * (k + 1) - 4 * used)});
    ++used;
  }

  // Every tag goes.
  out.plain.reserve(plain.size());
  size_t o = 0, c = 0;
  for (size_t i = 0; i < plain.size();) {
    if (o < opens.size() && opens[o] == i) {
      i += 3;
      ++o;
    } else if (c < closes.size() && closes[c] == i) {
      i += 4;
      ++c;
    } else {
      out.plain += plain[i++];
    }
  }
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
