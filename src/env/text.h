// Text, number and date helpers on 8-bit text: positions are 1-based, 0 means
// not found; case-insensitive folds ASCII letters only; trimming removes every
// byte of value 32 or less from both ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string Trim(const std::string& s);
std::string UpperAscii(const std::string& s);
bool SameText(const std::string& a, const std::string& b);  // ASCII case-insensitive
bool SameTextTrimmed(const std::string& a, const std::string& b);
// `c` in front of `text` up to `width`; unchanged when at least that long, or
// when the padding would exceed 1 MiB (a width made from a negative number).
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

// ---- Search and compare ----

// First occurrence of `pattern` beginning at or after `start` (1-based); 0 when
// absent, when either text is empty or when `start` is below 1.
size_t FindFrom(const std::string& pattern, const std::string& text, int64_t start,
                bool ignoreCase);
size_t PosText(const std::string& pattern, const std::string& text);  // case-insensitive
size_t LastPos(const std::string& pattern, const std::string& text);  // case-sensitive
// False for an empty prefix / suffix.
bool StartsWithText(const std::string& prefix, const std::string& text, bool ignoreCase);
bool EndsWithText(const std::string& suffix, const std::string& text, bool ignoreCase);
// Text before / after the first `separator` (case-sensitive), `def` when absent.
std::string TextBefore(const std::string& text, const std::string& separator,
                       const std::string& def, bool trim);
std::string TextAfter(const std::string& text, const std::string& separator,
                      const std::string& def, bool trim);

// Replaces every occurrence left to right without overlap; the inserted
// replacement is never scanned again ("aaa", "aa" -> "b" gives "ba").
std::string ReplaceAll(const std::string& text, const std::string& pattern,
                       const std::string& replacement, bool ignoreCase);
// Replaces the first occurrence again and again until none is left; unchanged
// when the replacement itself holds the pattern. Stops after a bounded number
// of rounds, so a rule that keeps recreating the pattern cannot run forever.
std::string ReplaceUntilGone(const std::string& text, const std::string& pattern,
                             const std::string& replacement);

// ---- Shaping ----

std::string StripChar(const std::string& text, char c, bool all);
std::string Unquote(const std::string& text, bool all);
std::string QuoteText(const std::string& text);
std::string Enclose(const std::string& text, char c, bool stripFirst);
std::string ReplaceChar(const std::string& text, char from, char to);
std::string KeepChars(const std::string& text, const std::string& set);
std::string Reverse(const std::string& text);
// The decimal number padded with "0" to `width`; a minus sign stays in front.
std::string ZeroPad(int64_t number, size_t width);
char BoolDigit(bool b);  // '1' / '0'
char LowerChar(char c);
char UpperChar(char c);

// Mark-up of user-visible texts to control characters: the three characters
// "\\n" and "\\t" (case-sensitive), then "<P>" and "<T>" (any case), become
// CR LF and tab.
std::string MarkupToText(const std::string& text);

// ---- Numbers ----

std::string IntToText(int64_t value);
// Decimal number with "." as decimal point whatever the locale; if the text
// holds no "." every "," is taken as one, otherwise "," are dropped (thousands).
double TextToFloat(const std::string& text, double def);
// Fixed notation with `digits` decimals (0..18), "." as decimal point, rounded
// half away from zero.
std::string FloatToFixed(int digits, double value);
// Bytes / 1024 (KB) or / 1048576 (MB). decimals < 1: rounded up to a whole
// number; 2, 3, 4: that many decimals; any other: 1 decimal. With thousands,
// "," between groups of three digits of the integer part.
std::string FormatSizeKB(bool thousands, int decimals, int64_t bytes);
std::string FormatSizeMB(bool thousands, int decimals, int64_t bytes);
// "," between groups of three digits of the text before the first ".".
std::string InsertThousands(const std::string& number);
// A random integer in [low, high] (bounds swapped when reversed), as text.
std::string RandomText(int64_t low, int64_t high);
// The same from a given seed; RandomText mixes the clock with a call counter.
int64_t RandomInRange(int64_t low, int64_t high, uint64_t seed);
int64_t MinInt64(int64_t a, int64_t b);
int64_t MaxInt64(int64_t a, int64_t b);
int64_t ClampInt64(int64_t value, int64_t low, int64_t high);

// ---- Dates ----

// The local date and time now (platform backend).
LocalTime LocalNow();
// The user's date and time separators ("/" and ":" where none are known).
std::string SystemDateSeparator();
std::string SystemTimeSeparator();

// "09-DEC-2026": English month abbreviations whatever the locale.
std::string FormatDayMonYear(const LocalTime& t);
// FormatDayMonYear, the separator, then "HH:NN:SS" with the system's time
// separator.
std::string FormatDayMonYearTime(const std::string& separator, const LocalTime& t);
// "dd/mm/yy HH:NN:SS" with the system's separators.
std::string FormatLogTime(const LocalTime& t);
// Days since 1899-12-30 00:00 (time of day as the fraction) times 86400,
// rounded to the nearest second, halves to even. Exact: no floating point.
int64_t DateTimeToSeconds(const LocalTime& t);
int64_t NowSeconds();  // DateTimeToSeconds(LocalNow())
// A packed DOS date-time from local calendar values; 0 when out of range
// (years 1980..2107) or when the seconds are odd (DOS counts in steps of 2).
uint32_t PackDosTime(int year, int month, int day, int hour, int minute, int second);

// ---- Message pumping (Windows builds) ----

// The sleep step WaitYielding uses: `step` when above 0, otherwise the
// duration / 10 clamped to 1..25 (a negative step counts as 0).
uint32_t WaitStep(int64_t step, int64_t duration);
// The wait loop over a clock and a yield supplied by the caller: yields once,
// then again while now() is below the end time. Returns the number of yields.
using WaitClock = int64_t (*)(void* context);
using WaitYield = void (*)(void* context, uint32_t ms);
int64_t RunWait(int64_t step, int64_t duration, WaitClock now, WaitYield yield, void* context);

// Dispatches every waiting message of the calling thread, then sleeps `ms`
// (0 gives up the rest of the time slice).
void YieldX(uint32_t ms);
// Keeps the thread's windows alive for `duration` ms, pumping every step.
void WaitYielding(int64_t step, int64_t duration);
// The performance counter in milliseconds.
int64_t GetTickMs();

// ShellExecuteA with the desktop window as owner and the default verb; true
// when the shell reports success.
bool OpenWithShell(const std::string& file, const std::string& parameters, int show);
// Loads a system library (from the system folder, never freed) and returns the
// entry point; nullptr when either is missing. See env/dll_search.h.
void* LoadProc(const std::string& library, const std::string& entry);
// points * vertical pixels per inch / 72, rounded as MulDiv rounds.
int PointsToPixels(int points);
// Rounding of MulDiv: a * b / c to the nearest integer, halves away from zero;
// -1 when c is 0.
int MulDivRound(int a, int b, int c);

// AutoPlay suppression: stores the "QueryCancelAutoPlay" message number (0 =
// off); windows answer that message with TRUE while it is set.
void SetAutoPlaySuppression(bool on);
unsigned GetAutoPlayMessage();
