// Window facts (Windows builds).
#pragma once

#include <windows.h>

#include <string>

// GetClassNameA; empty for no window.
std::string GetWindowClassText(HWND window);
// GetWindowTextA (up to 102400 bytes); empty for no window.
std::string GetWindowCaption(HWND window);
// Follows the GW_OWNER links until a window has no owner and returns that
// window; nullptr for no window.
HWND GetTopOwner(HWND window);
