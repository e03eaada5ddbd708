// The stub window: the one top-level window every role but the plain agent
// and the spanned-CD first level runs in. A small box, hidden at first, with
// a label, a main progress bar and a small activity bar. Its one-second timer
// 1 starts all work (the start routine, or in agent mode the update cycle's
// tick), and it takes the agent's control messages. Windows builds only.
//
// RunStubWindow (stub/roles.h) creates it, runs the message loop until it
// ends and cleans up. The pieces below are what the roles and the tests use.
#pragma once

#include <cstdint>
#include <string>

// Registers the class and creates the window, hidden, centred in the work
// area, titled with the package's "s0" text; sets the message-box font from
// the package. Returns the window (0 when it could not be made). The agent's
// tick count starts at minus "/SleepX=" when that is 0 or more.
uintptr_t CreateStubWindow(const std::string& className);
// Gets and dispatches messages until WM_QUIT or until the window's
// destruction has set the quit flag.
void RunStubMessageLoop();
// After the loop: timer 1 off, downloads aborted, WinINet released, the
// watcher told (code 43).
void EndStubWindow();

// The window and its controls (0 before creation and after destruction).
uintptr_t StubMainWindow();
uintptr_t StubLabel();
uintptr_t StubMainBar();
uintptr_t StubActivityBar();
// Set by the window's destruction.
bool StubQuitFlag();

// Restyles and fills the label: right-aligned right-to-left reading for
// character sets 177 and 178, left-aligned otherwise; the font is `fontName`
// in `charset` at `pointSize` points on this screen.
void SetLabel(const std::string& text, const std::string& fontName, int charset, int pointSize);

// The extraction progress callback: operation 0 sets up the main bar (range
// 0..maximum, cut to 16 bits; position; step) and resets the activity bar;
// operation 1 steps the main bar and moves the activity bar on. `reserved`
// and `text` are not shown.
void StubProgress(int operation, int reserved, int64_t maximum, int64_t position, int64_t step,
                  const std::string& text);

// A colour value as RGB: with the top bit set, the system colour named by the
// low byte.
uint32_t ColourValue(uint32_t value);
