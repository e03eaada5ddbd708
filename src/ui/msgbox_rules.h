// The rules of the message box that need no window: flags, button sets,
// focus order, the keyboard choices, geometry, and what MsgBox makes of its
// arguments. msgbox_win32.cpp applies them to real windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace msgbox {

// Flags: the layout of the system's message-box flags where they overlap.
constexpr uint32_t kButtonSetMask = 0x0000000F;
constexpr uint32_t kIconMask = 0x000000F0;
constexpr uint32_t kFocusMask = 0x00000F00;
constexpr uint32_t kRightAligned = 0x00080000;
constexpr uint32_t kRightToLeft = 0x00100000;
constexpr uint32_t kNoClose = 0x10000000;

// Button results, numbered as the system's dialog results.
enum Result : int { kNone = 0, kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };

// Captions of OK, Cancel, Yes, No, Abort, Retry, Ignore (fields 0 to 6).
inline constexpr char kDefaultCaptions[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
// Default titles of an error (field 0), a warning (1) and a question (2).
inline constexpr char kDefaultTitles[] = "|Error|Attention|Confirm|";

struct ButtonSpec {
  int captionField;  // field of the captions list
  int id;            // the result the button returns
};
// Buttons from left to right: none for a set beyond 5.
std::vector<ButtonSpec> ButtonSet(uint32_t flags);

// The system icon id of the icon bits (32513 stop, 32514 question, 32515
// exclamation, 32516 information); 0 means the program's "MainIcon".
int IconId(uint32_t flags);

// The button that takes the focus for index `k` among `n` buttons: k mod n,
// a negative k counting from the end; -1 when there are no buttons.
int FocusIndex(int k, int n);

// Keyboard choices over the captions of the buttons shown, left to right.
// Each returns the index of the chosen button or -1.
//
// Alt + key: the button whose access letter (after "&") equals the key,
// ignoring case; the leftmost wins.
int AltKeyButton(const std::vector<std::string>& captions, char key);
// A letter key (A-Z): the button whose access letter (after "&", or its first
// character when it has no "&") equals the letter, ignoring case; the
// rightmost wins.
int LetterKeyButton(const std::vector<std::string>& captions, char letter);

// ---- Geometry (pixels) ----

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};
constexpr int kStripeWidth = 54;     // the dark stripe with the icon
constexpr int kButtonBarHeight = 36; // the bar under the separator lines
constexpr int kMinBoxWidth = 360;

// The outer size of the box for a text control of w x h.
struct Frame {
  int width = 0;          // of one vertical frame edge
  int height = 0;         // of one horizontal frame edge
  int captionHeight = 0;
};
Rect BoxSize(int w, int h, const Frame& frame);
// The text control inside a client area of cw x ch, keeping width w.
Rect TextPlacement(int cw, int ch, int w, int h);
// The n buttons (n <= 3) from left to right, packed against the right edge.
std::vector<Rect> ButtonPlacement(int cw, int ch, int n);

// ---- MsgBox ----

// Owner-or-mode values at or below this are modes, above it window handles.
constexpr uintptr_t kLastMode = 2;

struct BoxRequest {
  std::string text;
  uint32_t flags = 0;
};
// The text and flags MsgBox passes on: right-aligned right-to-left reading
// for character sets 177 and 178; in mode 0 the title as a bold heading (in
// capitals when it is one of the default titles); in mode 2 no Close command.
BoxRequest ComposeMsgBox(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                         uint32_t flags, int charset);

// The title or, when empty, field `index` of kDefaultTitles; the captions or,
// when empty, kDefaultCaptions.
std::string TitleOrDefault(const std::string& title, int index);
std::string CaptionsOrDefault(const std::string& captions);

bool IsRightToLeftCharset(int charset);  // 177 Hebrew, 178 Arabic

}  // namespace msgbox
