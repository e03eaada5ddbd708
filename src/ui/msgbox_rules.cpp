#include "ui/msgbox_rules.h"

#include <algorithm>

#include "env/text.h"
#include "support/field_list.h"

namespace msgbox {

std::vector<ButtonSpec> ButtonSet(uint32_t flags) {
  // Caption fields: 0 OK, 1 Cancel, 2 Yes, 3 No, 4 Abort, 5 Retry, 6 Ignore.
  switch (flags & kButtonSetMask) {
    case 0: return {{0, kOk}};
    case 1: return {{0, kOk}, {1, kCancel}};
    case 2: return {{4, kAbort}, {5, kRetry}, {6, kIgnore}};
    case 3: return {{2, kYes}, {3, kNo}, {1, kCancel}};
    case 4: return {{2, kYes}, {3, kNo}};
    case 5: return {{5, kRetry}, {1, kCancel}};
  }
  return {};
}

int IconId(uint32_t flags) {
  switch (flags & kIconMask) {
    case 0x10: return 32513;
    case 0x20: return 32514;
    case 0x30: return 32515;
    case 0x40: return 32516;
  }
  return 0;
}

int FocusIndex(int k, int n) {
  if (n <= 0) return -1;
  const int r = k % n;
  return r < 0 ? r + n : r;
}

namespace {

// The letter a caption offers: the character after the first "&", or the
// first character when there is no "&"; 0 when there is none.
char AccessLetter(const std::string& caption) {
  const size_t amp = caption.find('&');
  if (amp == std::string::npos) return caption.empty() ? 0 : caption[0];
  return amp + 1 < caption.size() ? caption[amp + 1] : 0;
}

bool SameLetter(char a, char b) { return a != 0 && UpperChar(a) == UpperChar(b); }

}  // namespace

int AltKeyButton(const std::vector<std::string>& captions, char key) {
  for (size_t i = 0; i < captions.size(); ++i)
    if (SameLetter(AccessLetter(captions[i]), key)) return int(i);
  return -1;
}

int LetterKeyButton(const std::vector<std::string>& captions, char letter) {
  for (size_t i = captions.size(); i-- > 0;)
    if (SameLetter(AccessLetter(captions[i]), letter)) return int(i);
  return -1;
}

Rect BoxSize(int w, int h, const Frame& frame) {
  const int m = w < 200 ? 64 : 32;
  const int v = h < 39 ? 45 : 32;
  Rect r;
  r.width = std::max(kMinBoxWidth, w + kStripeWidth + 2 * m + 2 * frame.width);
  r.height = h + kButtonBarHeight + 2 * v + 2 * frame.height + frame.captionHeight;
  return r;
}

Rect TextPlacement(int cw, int ch, int w, int h) {
  Rect r;
  r.x = (cw - kStripeWidth - w) / 2 + kStripeWidth;
  r.y = (ch - kButtonBarHeight - h) / 2;
  r.width = w;
  r.height = ch - r.y - 39;
  return r;
}

std::vector<Rect> ButtonPlacement(int cw, int ch, int n) {
  std::vector<Rect> rects(size_t(std::max(n, 0)));
  int x = cw - 80;
  for (int i = n - 1; i >= 0; --i, x -= 70) rects[size_t(i)] = {x, ch - 29, 70, 23};
  return rects;
}

bool IsRightToLeftCharset(int charset) { return charset == 177 || charset == 178; }

BoxRequest ComposeMsgBox(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                         uint32_t flags, int charset) {
  BoxRequest r{text, flags};
  if (IsRightToLeftCharset(charset)) r.flags |= kRightAligned | kRightToLeft;
  if (ownerOrMode == 0) {
    const std::string heading =
        std::string(kDefaultTitles).find(title) != std::string::npos ? UpperAscii(title) : title;
    r.text = "<<b>" + heading + "</b><P><P>" + text + "<P>";
  }
  if (ownerOrMode == 2) r.flags |= kNoClose;
  return r;
}

std::string TitleOrDefault(const std::string& title, int index) {
  return title.empty() ? SUB::GetField(kDefaultTitles, index) : title;
}

std::string CaptionsOrDefault(const std::string& captions) {
  return captions.empty() ? std::string(kDefaultCaptions) : captions;
}

}  // namespace msgbox
