// Version numbers of executable files.
#pragma once

#include <string>

// Keeps digits and "." (after "," became "."), then writes the first `parts`
// fields (missing or non-numeric ones as 0) zero-padded to `width` digits,
// joined by ".": "1,2,3,4" with width 2 and 3 parts gives "01.02.03".
std::string NormalizeVersion(const std::string& text, int width, int parts);

// "a.b.c.d" of the file version in the version resource of `file` (the running
// program when empty), normalised when width > 1 or parts < 4; empty when the
// file has no readable version resource. Windows builds only.
std::string GetExeVersion(const std::string& file, int width, int parts);

// The "ProductVersion" string of the version resource of `file` (the running
// program when empty), in the language and code page of its first
// translation, with every "," read as "."; normalised when width > 1 or
// parts < 4. Empty when any piece is missing. Writes one trace line per call.
// Windows builds only.
std::string GetProductVersion(const std::string& file, int width, int parts);
