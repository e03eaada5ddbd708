// The text of a message box: mark-up to plain text with bold runs, and the
// arithmetic that sizes the text control from measured line widths. Portable;
// the box (msgbox_win32.cpp) supplies the measuring of one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A bold stretch of the plain text, [start, end) in byte offsets from 0, kept
// as 16-bit values (offsets beyond stay at 65535).
struct BoldRun {
  uint16_t start = 0;
  uint16_t end = 0;
};

struct RichText {
  std::string plain;
  std::vector<BoldRun> bold;
};

// The mark-up of MarkupToText ("<P>", "<T>", "\\n", "\\t"), then: a text that
// begins with "<<b>" loses its first character; then every "<B>" (any case)
// is removed in turn and, when the first "</B>" left in the text lies after
// it, that "</B>" is removed too and the stretch between them is a bold run,
// with offsets in the text as it stands then. Every other "</B>" is removed
// at the end. Other "<" texts stay. Tags are those written in the text; one
// that only forms where another was cut out ("<<B>B>") is text. Linear in
// the length of the text.
RichText LayoutRichText(const std::string& text);

// Lines of the plain text, split at each CR LF; an empty text is one blank.
std::vector<std::string> SplitLines(const std::string& plain);

// Line height of the box font: the font height plus its external leading,
// plus 1 for the face "MS PGothic" (any case, surrounding blanks ignored),
// whose glyphs otherwise touch the next line.
int LineHeight(int fontHeight, int externalLeading, const std::string& faceName);

struct TextSize {
  int width = 0;
  int height = 0;
};

// Width and height of the text from the pixel extent of each line: the
// widest extent + 10, at most kWrapWidth; the height counts each line once
// per started kWrapWidth pixels (extent / kWrapWidth + 1 lines), since the
// control wraps a longer line.
constexpr int kWrapWidth = 600;
TextSize MeasureLines(const std::vector<int>& lineExtents, int lineHeight);

// Bold glyphs are wider than the normal face measured above, so a text with
// bold runs may wrap where the measure said it would not. `tryWidth` sets
// the control to a width and reports the size the control then asks for.
// Widens in steps of 10 (21 tries from `width` on) until the asked height is
// not above `height`; when no try fits, sets the largest of `width` and the
// asked widths, + 10. Returns the width left set.
struct AskedSize {
  int width = 0;
  int height = 0;
};
using TryWidth = AskedSize (*)(void* context, int width);
int FitBoldWidth(int width, int height, TryWidth tryWidth, void* context);
