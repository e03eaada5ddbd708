#include "env/text.h"

#include <ctime>
#include <cmath>
#include <cstring>
#include <vector>

#include "support/field_list.h"

namespace {

inline unsigned char Up(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool EqualAt(const std::string& text, size_t at, const std::string& pattern, bool ignoreCase) {
  if (at > text.size() || text.size() - at < pattern.size()) return false;
  if (!ignoreCase) return text.compare(at, pattern.size(), pattern) == 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (Up(text[at + i]) != Up(pattern[i])) return false;
  }
  return true;
}

// 0-based index of the first occurrence at or after `from`, npos when none.
size_t Find0(const std::string& text, const std::string& pattern, size_t from, bool ignoreCase) {
  if (pattern.empty() || from > text.size()) return std::string::npos;
  if (!ignoreCase) return text.find(pattern, from);
  const size_t last = text.size() - pattern.size();
  if (text.size() < pattern.size()) return std::string::npos;
  const unsigned char first = Up(pattern[0]);
  for (size_t i = from; i <= last; ++i) {
    if (Up(text[i]) == first && EqualAt(text, i, pattern, true)) return i;
  }
  return std::string::npos;
}

std::string UnsignedToText(uint64_t v) {
  char buf[24];
  size_t n = sizeof buf;
  do {
    buf[--n] = char('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return std::string(buf + n, sizeof buf - n);
}

std::string TwoDigits(int v) { return ZeroPad(v, 2); }

}  // namespace

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

std::string UpperAscii(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = char(Up(c));
  return r;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && EqualAt(a, 0, b, true);
}

bool SameTextTrimmed(const std::string& a, const std::string& b) {
  return SameText(Trim(a), Trim(b));
}

std::string PadLeft(const std::string& text, size_t width, char c) {
  // A width from a negative number would ask for gigabytes of padding.
  const size_t kMaxPad = 1 << 20;
  if (text.size() >= width || width - text.size() > kMaxPad) return text;
  return std::string(width - text.size(), c) + text;
}

const char* BoolText(bool b) { return b ? "TRUE" : "FALSE"; }

int64_t TextToInt64(const std::string& text, int64_t def) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return def;
  // Accumulate the magnitude; the limit is 2^63 for a negative number, 2^63-1
  // otherwise.
  const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
  uint64_t v = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = unsigned(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = unsigned(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = unsigned(c - 'A' + 10);
    } else {
      return def;
    }
    if (v > (limit - d) / base) return def;
    v = v * base + d;
  }
  if (negative) return v == (uint64_t(1) << 63) ? INT64_MIN : -int64_t(v);
  return int64_t(v);
}

std::string FormatLogTime(const LocalTime& t, const std::string& dateSep,
                          const std::string& timeSep) {
  const int yy = (t.year % 100 + 100) % 100;
  return TwoDigits(t.day) + dateSep + TwoDigits(t.month) + dateSep + TwoDigits(yy) + " " +
         TwoDigits(t.hour) + timeSep + TwoDigits(t.minute) + timeSep + TwoDigits(t.second);
}

// ---- Search and compare ----

size_t FindFrom(const std::string& pattern, const std::string& text, int64_t start,
                bool ignoreCase) {
  if (start < 1 || pattern.empty() || text.empty() || uint64_t(start) > text.size()) return 0;
  const size_t at = Find0(text, pattern, size_t(start - 1), ignoreCase);
  return at == std::string::npos ? 0 : at + 1;
}

size_t PosText(const std::string& pattern, const std::string& text) {
  return FindFrom(pattern, text, int64_t(1), true);
}

size_t LastPos(const std::string& pattern, const std::string& text) {
  if (pattern.empty() || text.empty()) return 0;
  const size_t at = text.rfind(pattern);
  return at == std::string::npos ? 0 : at + 1;
}

bool StartsWithText(const std::string& prefix, const std::string& text, bool ignoreCase) {
  return !prefix.empty() && EqualAt(text, 0, prefix, ignoreCase);
}

bool EndsWithText(const std::string& suffix, const std::string& text, bool ignoreCase) {
  return !suffix.empty() && suffix.size() <= text.size() &&
         EqualAt(text, text.size() - suffix.size(), suffix, ignoreCase);
}

std::string TextBefore(const std::string& text, const std::string& separator,
                       const std::string& def, bool trim) {
  const size_t at = separator.empty() ? std::string::npos : text.find(separator);
  if (at == std::string::npos) return def;
  return trim ? Trim(text.substr(0, at)) : text.substr(0, at);
}

std::string TextAfter(const std::string& text, const std::string& separator,
                      const std::string& def, bool trim) {
  const size_t at = separator.empty() ? std::string::npos : text.find(separator);
  if (at == std::string::npos) return def;
  std::string rest = text.substr(at + separator.size());
  return trim ? Trim(rest) : rest;
}

std::string ReplaceAll(const std::string& text, const std::string& pattern,
                       const std::string& replacement, bool ignoreCase) {
  if (text.empty() || pattern.empty()) return text;
  size_t at = Find0(text, pattern, 0, ignoreCase);
  if (at == std::string::npos) return text;
  std::string out;
  size_t from = 0;
  while (at != std::string::npos) {
    out.append(text, from, at - from);
    out += replacement;
    from = at + pattern.size();
    at = Find0(text, pattern, from, ignoreCase);
  }
  out.append(text, from, std::string::npos);
  return out;
}

std::string ReplaceUntilGone(const std::string& text, const std::string& pattern,
                             const std::string& replacement) {
  if (pattern.empty() || replacement.find(pattern) != std::string::npos) return text;
  std::string s = text;
  size_t at = s.find(pattern);
  // Each round changes the text only from `at` on, so the next first
  // occurrence cannot begin before at - (pattern length - 1).
  const size_t maxRounds = 1024 + 16 * text.size();
  for (size_t round = 0; at != std::string::npos && round < maxRounds; ++round) {
    s.replace(at, pattern.size(), replacement);
    at = s.find(pattern, at >= pattern.size() - 1 ? at - (pattern.size() - 1) : 0);
  }
  return s;
}

// ---- Shaping ----

std::string StripChar(const std::string& text, char c, bool all) {
  if (text.size() == 1 && text[0] == c) return std::string();
  if (text.size() <= 1) return text;
  if (all) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == c) ++b;
    while (e > b && text[e - 1] == c) --e;
    return text.substr(b, e - b);
  }
  if (text.front() == c && text.back() == c) return text.substr(1, text.size() - 2);
  return text;
}

std::string Unquote(const std::string& text, bool all) { return StripChar(Trim(text), '"', all); }

std::string QuoteText(const std::string& text) { return "\"" + Unquote(text, true) + "\""; }

std::string Enclose(const std::string& text, char c, bool stripFirst) {
  return c + (stripFirst ? StripChar(text, c, true) : text) + c;
}

std::string ReplaceChar(const std::string& text, char from, char to) {
  std::string r(text);
  if (from == to) return r;
  for (char& ch : r) {
    if (ch == from) ch = to;
  }
  return r;
}

std::string KeepChars(const std::string& text, const std::string& set) {
  std::string r;
  for (char ch : text) {
    if (set.find(ch) != std::string::npos) r += ch;
  }
  return r;
}

std::string Reverse(const std::string& text) { return std::string(text.rbegin(), text.rend()); }

std::string ZeroPad(int64_t number, size_t width) {
  if (number >= 0) return PadLeft(UnsignedToText(uint64_t(number)), width, '0');
  const std::string digits = UnsignedToText(0 - uint64_t(number));
  return "-" + PadLeft(digits, width > 0 ? width - 1 : 0, '0');
}

char BoolDigit(bool b) { return b ? '1' : '0'; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
char UpperChar(char c) { return char(Up(c)); }

std::string MarkupToText(const std::string& text) {
  std::string r = ReplaceAll(text, "\\\\n", "\r\n", false);
  r = ReplaceAll(r, "\\\\t", "\t", false);
  r = ReplaceAll(r, "<P>", "\r\n", true);
  return ReplaceAll(r, "<T>", "\t", true);
}

// ---- Numbers ----

std::string IntToText(int64_t value) {
  if (value >= 0) return UnsignedToText(uint64_t(value));
  return "-" + UnsignedToText(0 - uint64_t(value));
}

namespace {

double PowerOfTen(int e) {  // e >= 0; exact up to 1e22
  double r = 1.0;
  for (int i = 0; i < e; ++i) r *= 10.0;
  return r;
}

}  // namespace

double TextToFloat(const std::string& text, double def) {
  std::string s = text;
  if (s.find('.') == std::string::npos) s = ReplaceChar(s, ',', '.');
  s = ReplaceAll(s, ",", "", false);
  s = Trim(s);
  size_t i = 0;
  const size_t n = s.size();
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint64_t mantissa = 0;
  int significant = 0, exponent = 0, digits = 0;
  for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
    if (significant < 19) {
      mantissa = mantissa * 10 + unsigned(s[i] - '0');
      if (mantissa != 0) ++significant;
    } else {
      ++exponent;
    }
  }
  if (i < n && s[i] == '.') {
    for (++i; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
      if (significant < 19) {
        mantissa = mantissa * 10 + unsigned(s[i] - '0');
        if (mantissa != 0) ++significant;
        --exponent;
      }
    }
  }
  if (digits == 0) return def;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
    if (i >= n) return def;
    int e = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
      if (e < 10000) e = e * 10 + (s[i] - '0');
    }
    exponent += expNegative ? -e : e;
  }
  if (i != n) return def;
  if (exponent > 400) exponent = 400;
  if (exponent < -400) exponent = -400;
  double v = double(mantissa);
  if (mantissa != 0) {
    // Divide rather than multiply by a fraction: 1.1 is read as 11 / 10.
    if (exponent >= 0) {
      v *= PowerOfTen(exponent);
    } else if (exponent >= -300) {
      v /= PowerOfTen(-exponent);
    } else {
      v = v / PowerOfTen(300) / PowerOfTen(-exponent - 300);
    }
  }
  return negative ? -v : v;
}

namespace {

// Decimal digits of a non-negative finite double, exactly: the value is
// digits * 10^-fractionDigits.
void ExactDecimal(double v, std::string* digits, int* fractionDigits) {
  int e2 = 0;
  const double m = std::frexp(v, &e2);  // v = m * 2^e2, 0.5 <= m < 1
  uint64_t mant = uint64_t(std::ldexp(m, 53));
  e2 -= 53;
  // Little-endian base 1e9 limbs.
  std::vector<uint32_t> limbs;
  while (mant != 0) {
    limbs.push_back(uint32_t(mant % 1000000000u));
    mant /= 1000000000u;
  }
  auto multiply = [&limbs](uint32_t f) {
    uint64_t carry = 0;
    for (uint32_t& limb : limbs) {
      const uint64_t x = uint64_t(limb) * f + carry;
      limb = uint32_t(x % 1000000000u);
      carry = x / 1000000000u;
    }
    while (carry != 0) {
      limbs.push_back(uint32_t(carry % 1000000000u));
      carry /= 1000000000u;
    }
  };
  *fractionDigits = 0;
  // m * 2^e = m * 5^-e / 10^-e for a negative e.
  for (; e2 > 0; --e2) multiply(2);
  for (; e2 < 0; ++e2) {
    multiply(5);
    ++*fractionDigits;
  }
  std::string s;
  for (size_t i = limbs.size(); i-- > 0;) {
    std::string part = UnsignedToText(limbs[i]);
    s += i + 1 == limbs.size() ? part : PadLeft(part, 9, '0');
  }
  if (s.empty()) s = "0";
  *digits = s;
}

}  // namespace

std::string FloatToFixed(int digits, double value) {
  if (digits < 0) digits = 0;
  if (digits > 18) digits = 18;
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const bool negative = std::signbit(value);
  std::string d;
  int frac = 0;
  ExactDecimal(negative ? -value : value, &d, &frac);
  // Make at least `digits` fraction digits and one integer digit.
  if (frac < digits) {
    d.append(size_t(digits - frac), '0');
    frac = digits;
  }
  if (int(d.size()) <= frac) d.insert(0, size_t(frac - int(d.size()) + 1), '0');
  // Round at the last wanted decimal, and to at most 20 significant digits.
  size_t keep = d.size() - size_t(frac - digits);
  const size_t firstSignificant = d.find_first_not_of('0');
  if (firstSignificant != std::string::npos && keep > firstSignificant + 20) {
    keep = firstSignificant + 20;
  }
  const bool roundUp = keep < d.size() && d[keep] >= '5';
  for (size_t i = keep; i < d.size(); ++i) d[i] = '0';
  if (roundUp) {
    bool carry = true;
    for (size_t i = keep; carry && i > 0;) {
      --i;
      if (d[i] == '9') {
        d[i] = '0';
      } else {
        ++d[i];
        carry = false;
      }
    }
    if (carry) d.insert(0, 1, '1');
  }
  d.resize(d.size() - size_t(frac - digits));
  std::string intPart = d.substr(0, d.size() - size_t(digits));
  const size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
  std::string r = intPart;
  if (digits > 0) r += "." + d.substr(d.size() - size_t(digits));
  if (negative && r.find_first_not_of("0.") != std::string::npos) r.insert(0, 1, '-');
  return r;
}

std::string InsertThousands(const std::string& number) {
  const size_t dot = number.find('.');
  const size_t intEnd = dot == std::string::npos ? number.size() : dot;
  size_t intBegin = 0;
  while (intBegin < intEnd && (number[intBegin] < '0' || number[intBegin] > '9')) ++intBegin;
  std::string r = number.substr(0, intBegin);
  for (size_t i = intBegin; i < intEnd; ++i) {
    if (i > intBegin && (intEnd - i) % 3 == 0) r += ',';
    r += number[i];
  }
  r.append(number, intEnd, std::string::npos);
  return r;
}

namespace {

std::string FormatSize(bool thousands, int decimals, int64_t bytes, int64_t divisor) {
  std::string r;
  if (decimals < 1) {
    int64_t q = bytes / divisor;
    if (bytes % divisor > 0) ++q;
    r = IntToText(q);
  } else {
    const int d = (decimals >= 2 && decimals <= 4) ? decimals : 1;
    uint64_t scale = 1;
    for (int i = 0; i < d; ++i) scale *= 10;
    const bool negative = bytes < 0;
    const uint64_t magnitude = negative ? 0 - uint64_t(bytes) : uint64_t(bytes);
    const uint64_t div = uint64_t(divisor);
    uint64_t whole = magnitude / div;
    // The remainder is below 2^20 and the scale at most 10^4: no overflow.
    const uint64_t scaled = (magnitude % div) * scale;
    uint64_t fraction = scaled / div;
    const uint64_t rest = scaled % div;
    // Halves to even, as a printf of the (exactly representable) quotient.
    if (rest * 2 > div || (rest * 2 == div && (fraction & 1) != 0)) ++fraction;
    if (fraction == scale) {
      fraction = 0;
      ++whole;
    }
    r = UnsignedToText(whole) + "." + PadLeft(UnsignedToText(fraction), size_t(d), '0');
    if (negative && (whole != 0 || fraction != 0)) r.insert(0, 1, '-');
  }
  return thousands ? InsertThousands(r) : r;
}

}  // namespace

std::string FormatSizeKB(bool thousands, int decimals, int64_t bytes) {
  return FormatSize(thousands, decimals, bytes, 1024);
}

std::string FormatSizeMB(bool thousands, int decimals, int64_t bytes) {
  return FormatSize(thousands, decimals, bytes, 1048576);
}

int64_t RandomInRange(int64_t low, int64_t high, uint64_t seed) {
  if (low > high) std::swap(low, high);
  // splitmix64: one well-mixed value from the seed.
  uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  const uint64_t span = uint64_t(high) - uint64_t(low) + 1;  // 0: the whole range
  const uint64_t offset = span == 0 ? z : z % span;
  return int64_t(uint64_t(low) + offset);
}

std::string RandomText(int64_t low, int64_t high) {
  // Seeded from the clock on every call, with a call counter mixed in so that
  // two calls within one clock tick still differ.
  static uint64_t calls = 0;
  // C's clocks, not <chrono>: libstdc++'s clock code carries unwind tables that
  // would bring the unwinder and its thread library into stub.exe.
  const uint64_t clock = uint64_t(std::time(nullptr)) * 1000003u ^ uint64_t(std::clock());
  return IntToText(RandomInRange(low, high, clock + 0x632BE59BD9B4E019ull * ++calls));
}

int64_t MinInt64(int64_t a, int64_t b) { return a < b ? a : b; }
int64_t MaxInt64(int64_t a, int64_t b) { return a > b ? a : b; }

int64_t ClampInt64(int64_t value, int64_t low, int64_t high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
}

// ---- Dates ----

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

std::string FormatDayMonYear(const LocalTime& t) {
  static const char kMonths[] = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";
  return TwoDigits(t.day) + "-" + SUB::GetField(kMonths, t.month, "") + "-" + ZeroPad(t.year, 4);
}

std::string FormatDayMonYearTime(const std::string& separator, const LocalTime& t) {
  const std::string ts = SystemTimeSeparator();
  return FormatDayMonYear(t) + separator + TwoDigits(t.hour) + ts + TwoDigits(t.minute) + ts +
         TwoDigits(t.second);
}

std::string FormatLogTime(const LocalTime& t) {
  return FormatLogTime(t, SystemDateSeparator(), SystemTimeSeparator());
}

int64_t DateTimeToSeconds(const LocalTime& t) {
  const int64_t m = t.month < 1 ? 1 : (t.month > 12 ? 12 : t.month);
  const int64_t days = DaysFromCivil(t.year, m, t.day) - DaysFromCivil(1899, 12, 30);
  const int64_t ms = ((days * 24 + t.hour) * 60 + t.minute) * 60000 + int64_t(t.second) * 1000 +
                     t.millisecond;
  int64_t seconds = ms / 1000;
  int64_t rest = ms % 1000;
  if (rest < 0) {
    rest += 1000;
    --seconds;
  }
  if (rest > 500 || (rest == 500 && (seconds & 1) != 0)) ++seconds;
  return seconds;
}

int64_t NowSeconds() { return DateTimeToSeconds(LocalNow()); }

// ---- Waiting ----

uint32_t WaitStep(int64_t step, int64_t duration) {
  // Sleep(0xFFFFFFFF) never returns; keep explicit steps well below it.
  if (step > 0) return step > 0x7FFFFFFF ? 0x7FFFFFFFu : uint32_t(step);
  const int64_t s = duration / 10;
  return uint32_t(s < 1 ? 1 : (s > 25 ? 25 : s));
}

int64_t RunWait(int64_t step, int64_t duration, WaitClock now, WaitYield yield, void* context) {
  const uint32_t ms = WaitStep(step, duration);
  const int64_t start = now(context);
  const int64_t end = duration > INT64_MAX - start ? INT64_MAX : start + duration;
  int64_t rounds = 0;
  do {
    yield(context, ms);
    ++rounds;
  } while (now(context) < end);
  return rounds;
}

int MulDivRound(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t(a) * b;
  int64_t q = p / c;
  const int64_t r = p % c;
  // Halves away from zero.
  const int64_t absR2 = (r < 0 ? -r : r) * 2, absC = c < 0 ? -int64_t(c) : c;
  if (absR2 >= absC) q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return int(q);
}

uint32_t PackDosTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || second % 2)
    return 0;
  uint32_t date = uint32_t((year - 1980) << 9 | month << 5 | day);
  uint32_t time = uint32_t(hour << 11 | minute << 5 | second / 2);
  return date << 16 | time;
}
