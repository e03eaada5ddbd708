// File and disk helpers (Windows builds). Paths are 8-bit texts in the system
// code page; positions and sizes are signed 64-bit; a date stamp is a packed DOS
// date-time (0 = leave the date alone).
#pragma once

#include <cstdint>
#include <string>

// Opens for writing with full sharing (creating the file when it does not
// exist), moves to the end, writes all bytes, sets the date stamp when not 0.
// True when every byte was written.
bool AppendText(const std::string& file, const std::string& bytes, uint32_t dateStamp);
