// The stub's own modal message box: a window of class "VMsgBox" with a dark
// stripe and an icon on the left, the text in a read-only rich-edit control
// (bold runs, line breaks, right-to-left reading), and up to three buttons.
// It takes its texts, captions and font from the caller, so every language of
// the strings block can be shown, sizes itself to its text, can close itself
// after a time-out and is driven entirely from the keyboard. Windows builds.
//
// Results are numbered as the system's dialog results (msgbox::Result): OK 1,
// Cancel 2, Abort 3, Retry 4, Ignore 5, Yes 6, No 7; 0 when the box was
// closed without a choice (Escape, the Close command), which callers read as
// a refusal. Only one box is shown at a time; it runs its own message loop,
// so the thread's other windows and timers keep being served meanwhile.
#pragma once

#include <cstdint>
#include <string>

#include "ui/msgbox_rules.h"

// The face, point size and character set of every later box. The size is
// kept when `size` is 0. At start: "Tahoma", 8, 1 (the default set).
void SetMsgBoxFont(const std::string& name, int size, int charset);

// Shows a box owned by `owner` (a window handle, 0 for none) and returns the
// result. `flags` as in msgbox_rules.h; `timeoutMs` above 0 chooses the first
// button after that time; `captions` is a field list of the seven captions
// (empty: msgbox::kDefaultCaptions; a missing field gives an empty caption).
int ShowRichMsgBox(uintptr_t owner, const std::string& text, const std::string& title,
                   int timeoutMs, uint32_t flags, const std::string& captions);

// `ownerOrMode` above 2 is the owner window; 0, 1 and 2 are modes with the
// active window as owner: 0 shows the title again as a bold heading above the
// text, 2 disables the Close command. Character sets 177 and 178 read right
// to left, right-aligned. Pumps messages for 100 ms after the box is gone.
int MsgBox(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
           int timeoutMs, uint32_t flags, int charset, const std::string& captions);

// The front ends. An empty title is "Error", "Attention" or "Confirm"; empty
// captions are msgbox::kDefaultCaptions.
void ShowError(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
               int charset, const std::string& captions);
void ShowWarning(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                 int timeoutMs, int charset, const std::string& captions);
// True for Yes; the time-out chooses Yes.
bool AskYesNo(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
              int timeoutMs, int charset, const std::string& captions);
// True for OK.
bool AskOkCancel(uintptr_t ownerOrMode, const std::string& text, const std::string& title,
                 int charset, const std::string& captions);

// The rich-edit library the box loads ("RICHED32.DLL"). When it cannot be
// loaded the box shows its text in a plain multi-line edit control instead,
// without bold runs. For tests: another name before the first box.
void SetRichEditLibraryName(const std::string& name);
