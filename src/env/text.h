// Text, number and date helpers on 8-bit text: positions are 1-based, 0 means
// not found; case-insensitive folds ASCII letters only; trimming removes every
// byte of value 32 or less from both ends.
#pragma once

#include <cstdint>
#include <string>

std::string Trim(const std::string& s);
std::string UpperAscii(const std::string& s);
bool SameText(const std::string& a, const std::string& b);  // ASCII case-insensitive
bool SameTextTrimmed(const std::string& a, const std::string& b);
std::string PadLeft(const std::string& text, size_t width, char c);
const char* BoolText(bool b);  // "TRUE" / "FALSE"
// Signed 64-bit from decimal or "$"/"x"/"0x" hexadecimal with optional sign and
// leading blanks; `def` when empty, malformed or out of range.
int64_t TextToInt64(const std::string& text, int64_t def);

// A local date and time, as the date helpers take it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
// "dd/mm/yy HH:NN:SS" with the given date and time separators.
std::string FormatLogTime(const LocalTime& t, const std::string& dateSep,
                          const std::string& timeSep);
