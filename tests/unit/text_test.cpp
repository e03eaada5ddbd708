#include "env/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(Text, TrimAndCompare) {
  EXPECT_EQ(Trim(std::string("\x01\t a b \r\n\x20", 9)), "a b");
  EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(UpperAscii("abz\xE4{"), "ABZ\xE4{");  // only ASCII letters fold
  EXPECT_TRUE(SameText("Setup.EXE", "setup.exe"));
  EXPECT_FALSE(SameText("\xE4", "\xC4"));
  EXPECT_FALSE(SameText("ab", "abc"));
  EXPECT_TRUE(SameTextTrimmed(" Ab\t", "aB"));
  EXPECT_EQ(LowerChar('Q'), 'q');
  EXPECT_EQ(LowerChar('\xC4'), '\xC4');
  EXPECT_STREQ(BoolText(true), "TRUE");
  EXPECT_STREQ(BoolText(false), "FALSE");
  EXPECT_EQ(BoolDigit(true), '1');
}

TEST(Text, TextToInt64) {
  const struct {
    const char* text;
    int64_t want;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"  42", 42},                     // leading blanks allowed
      {"+42", 42},
      {"-42", -42},
      {"$1F", 31},
      {"x1f", 31},
      {"X1F", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-$10", -16},
      {"007", 7},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"$7FFFFFFFFFFFFFFF", INT64_MAX},
      {"-0x8000000000000000", INT64_MIN},
      // The caller's default (-1):
      {"9223372036854775808", -1},      // one above the largest
      {"-9223372036854775809", -1},
      {"$8000000000000000", -1},
      {"99999999999999999999999", -1},
      {"", -1},
      {" ", -1},
      {"+", -1},
      {"-", -1},
      {"$", -1},
      {"0x", -1},
      {"42 ", -1},                      // trailing blank: another character
      {"4 2", -1},
      {"- 4", -1},
      {"1e3", -1},
      {"$1G", -1},
      {"abc", -1},
      {"12abc", -1},
      {"--1", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToInt64(c.text, -1), c.want) << c.text;
}

TEST(Text, FindFromAndPositions) {
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(1), false), 2u);
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(3), false), 5u);
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(6), false), 0u);
  EXPECT_EQ(FindFrom("B", "abcabc", int64_t(1), false), 0u);
  EXPECT_EQ(FindFrom("B", "abcabc", int64_t(1), true), 2u);
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(0), false), 0u);   // start below 1
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(-5), false), 0u);
  EXPECT_EQ(FindFrom("b", "abcabc", int64_t(99), false), 0u);
  EXPECT_EQ(FindFrom("", "abc", int64_t(1), false), 0u);
  EXPECT_EQ(FindFrom("a", "", int64_t(1), false), 0u);
  EXPECT_EQ(PosText("EXE", "a.exe.exe"), 3u);
  EXPECT_EQ(LastPos(".exe", "a.exe.exe"), 6u);
  EXPECT_EQ(LastPos(".EXE", "a.exe.exe"), 0u);  // case-sensitive
  EXPECT_TRUE(StartsWithText("SET", "setup", true));
  EXPECT_FALSE(StartsWithText("SET", "setup", false));
  EXPECT_FALSE(StartsWithText("", "setup", true));
  EXPECT_FALSE(StartsWithText("setups", "setup", true));
  EXPECT_TRUE(EndsWithText(".EXE", "a.exe", true));
  EXPECT_FALSE(EndsWithText(".EXE", "a.exe", false));
  EXPECT_FALSE(EndsWithText("xa.exe", "a.exe", true));
  EXPECT_EQ(TextBefore("k = v = w", "=", "d", false), "k ");
  EXPECT_EQ(TextBefore("k = v = w", "=", "d", true), "k");
  EXPECT_EQ(TextAfter("k = v = w", "=", "d", true), "v = w");
  EXPECT_EQ(TextAfter("kv", "=", "d", true), "d");
}

TEST(Text, ReplaceAll) {
  const struct {
    std::string text, pattern, replacement;
    bool ignoreCase;
    std::string want;
  } cases[] = {
      {"aaa", "aa", "b", false, "ba"},            // no overlap
      {"aaaa", "aa", "b", false, "bb"},
      {"abc", "b", "bb", false, "abbc"},          // the replacement is not scanned again
      {"xAx", "a", "-", false, "xAx"},
      {"xAx", "a", "-", true, "x-x"},
      {"abc", "", "z", false, "abc"},             // empty pattern: unchanged
      {"", "a", "z", false, ""},
      {"a.b.c", ".", "", false, "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement, c.ignoreCase), c.want) << c.text;
  }
}

TEST(Text, ReplaceUntilGone) {
  EXPECT_EQ(ReplaceUntilGone("x   =1", " =", "="), "x=1");
  EXPECT_EQ(ReplaceUntilGone("a  =1 b =2", " =", "="), "a=1 b=2");
  EXPECT_EQ(ReplaceUntilGone("aab", "ab", "ba"), "baa");   // new occurrences are found
  EXPECT_EQ(ReplaceUntilGone("x =1", " =", " = "), "x =1");  // the pattern is in the replacement
  EXPECT_EQ(ReplaceUntilGone("abc", "", "z"), "abc");
  // A rule that keeps recreating its pattern ("ab" -> "bba" grows text and
  // pattern for ever from "aab...") still ends.
  const std::string grown = ReplaceUntilGone(std::string(20, 'a') + "b", "ab", "bba");
  EXPECT_GT(grown.size(), 21u);
}

TEST(Text, Shaping) {
  const struct {
    std::string text;
    char c;
    bool all;
    std::string want;
  } strip[] = {
      {"\"", '"', true, ""},
      {"\"a\"", '"', false, "a"},
      {"\"\"a\"\"", '"', false, "\"a\""},
      {"\"\"a\"\"", '"', true, "a"},
      {"\"a", '"', false, "\"a"},   // without `all` only when both ends have it
      {"\"a", '"', true, "a"},
      {"a", '"', true, "a"},
  };
  for (const auto& c : strip) EXPECT_EQ(StripChar(c.text, c.c, c.all), c.want) << c.text;
  EXPECT_EQ(Unquote("  \"C:\\a b\"  ", false), "C:\\a b");
  EXPECT_EQ(QuoteText("\"\"x\""), "\"x\"");
  EXPECT_EQ(Enclose("|a|", '|', true), "|a|");
  EXPECT_EQ(Enclose("|a|", '|', false), "||a||");
  EXPECT_EQ(ReplaceChar("a/b/c", '/', '\\'), "a\\b\\c");
  EXPECT_EQ(KeepChars("a1b2c3", "0123456789"), "123");
  EXPECT_EQ(Reverse("abc"), "cba");
  EXPECT_EQ(PadLeft("9876543", 5, '0'), "9876543");
  EXPECT_EQ(PadLeft("42", 5, ' '), "   42");
  EXPECT_EQ(PadLeft("42", size_t(-1), ' '), "42");  // a negative width: no padding
  EXPECT_EQ(ZeroPad(7, 3), "007");
  EXPECT_EQ(ZeroPad(-7, 3), "-07");
  EXPECT_EQ(ZeroPad(12345, 3), "12345");
  EXPECT_EQ(IntToText(INT64_MIN), "-9223372036854775808");
}

TEST(Text, MarkupToText) {
  const struct {
    std::string text, want;
  } cases[] = {
      {"a<P>b<p>c", "a\r\nb\r\nc"},
      {"a<T>b<t>c", "a\tb\tc"},
      {"a\\\\nb\\\\tc", "a\r\nb\tc"},   // backslash, backslash, n / t
      {"a\\nb", "a\\nb"},               // a single backslash stays
      {"a\\\\Nb", "a\\\\Nb"},           // case-sensitive
      {"<B>bold</B>", "<B>bold</B>"},   // bold runs are the message box's business
  };
  for (const auto& c : cases) EXPECT_EQ(MarkupToText(c.text), c.want) << c.text;
}

TEST(Text, FormatSize) {
  const int64_t GiB = int64_t(1) << 30;
  const struct {
    bool mb, thousands;
    int decimals;
    int64_t bytes;
    std::string want;
  } cases[] = {
      {true, true, 1, 1572864, "1.5"},
      {true, true, 1, 1200 * GiB, "1,228,800.0"},
      {true, false, 1, 1200 * GiB, "1228800.0"},
      {false, false, 0, 1, "1"},            // any remainder rounds up
      {false, false, 0, 1024, "1"},
      {false, false, 0, 1025, "2"},
      {false, false, 0, 0, "0"},
      {false, false, -3, 2048, "2"},        // decimals below 1
      {false, false, 2, 1536, "1.50"},
      {false, false, 3, 1536, "1.500"},
      {false, false, 4, 1, "0.0010"},       // 1/1024 = 0.000977
      {false, false, 5, 1536, "1.5"},       // 5 and more: one decimal
      {false, false, 1, 0, "0.0"},
      {false, false, 2, 0, "0.00"},
      {false, false, 1, 1023, "1.0"},       // rounding carries into the whole part
      {false, false, 1, 256, "0.2"},        // 0.25: halves to even
      {false, false, 1, 768, "0.8"},        // 0.75
      {false, true, 0, 1024 * 1234567, "1,234,567"},
      {true, true, 1, INT64_MAX, "8,796,093,022,208.0"},
      {false, false, 1, -1536, "-1.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.mb ? FormatSizeMB(c.thousands, c.decimals, c.bytes)
                   : FormatSizeKB(c.thousands, c.decimals, c.bytes),
              c.want)
        << c.bytes << " " << c.decimals;
  }
  EXPECT_EQ(InsertThousands("9876543.5"), "9,876,543.5");
  EXPECT_EQ(InsertThousands("-1234"), "-1,234");
  EXPECT_EQ(InsertThousands("123"), "123");
}

TEST(Text, Floats) {
  const struct {
    const char* text;
    double want;
  } cases[] = {
      {"1.5", 1.5},       {"1,5", 1.5},          {"1,234.5", 1234.5}, {" -2.25 ", -2.25},
      {"1.1", 1.1},       {"3", 3.0},            {"1e3", 1000.0},     {"2.5E-1", 0.25},
      {"abc", -9.0},      {"", -9.0},            {"1.2.3", -9.0},     {"1e", -9.0},
      {".", -9.0},        {"1,2,3", -9.0},       // no ".": every "," is a point
  };
  for (const auto& c : cases) EXPECT_EQ(TextToFloat(c.text, -9.0), c.want) << c.text;
  EXPECT_EQ(TextToFloat("1e400", 0), HUGE_VAL);

  EXPECT_EQ(FloatToFixed(1, 1.25), "1.3");       // half away from zero
  EXPECT_EQ(FloatToFixed(2, 0.125), "0.13");
  EXPECT_EQ(FloatToFixed(0, 2.5), "3");
  EXPECT_EQ(FloatToFixed(2, -0.001), "0.00");   // no "-0.00"
  EXPECT_EQ(FloatToFixed(1, -3.96), "-4.0");
  EXPECT_EQ(FloatToFixed(3, 1234567.0), "1234567.000");
  // 1e25 is 10000000000000000905969664 as a double; 20 significant digits.
  EXPECT_EQ(FloatToFixed(0, 1e25), "10000000000000000906000000");
  EXPECT_EQ(FloatToFixed(2, 0.1), "0.10");
  EXPECT_EQ(FloatToFixed(0, 0.0), "0");
}

TEST(Text, DateTexts) {
  LocalTime t;
  t.year = 2027;
  t.month = 3;
  t.day = 1;
  t.hour = 14;
  t.minute = 5;
  t.second = 9;
  EXPECT_EQ(FormatDayMonYear(t), "01-MAR-2027");
  EXPECT_EQ(FormatLogTime(t, "/", ":"), "01/03/27 14:05:09");
  EXPECT_EQ(FormatLogTime(t, ".", ":"), "01.03.27 14:05:09");
  const char* const months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  for (int m = 1; m <= 12; ++m) {
    t.month = m;
    t.day = 9;
    t.year = 2026;
    EXPECT_EQ(FormatDayMonYear(t), std::string("09-") + months[m - 1] + "-2026");
  }
  t.month = 13;  // no such month: no abbreviation, and no crash
  EXPECT_EQ(FormatDayMonYear(t), "09--2026");
  t.year = 2000;
  EXPECT_EQ(FormatLogTime(t, "/", ":").substr(6, 2), "00");
}

TEST(Text, DateTimeToSeconds) {
  auto at = [](int y, int mo, int d, int h, int mi, int s, int ms) {
    LocalTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    t.millisecond = ms;
    return DateTimeToSeconds(t);
  };
  EXPECT_EQ(at(1899, 12, 30, 0, 0, 0, 0), 0);
  EXPECT_EQ(at(1899, 12, 31, 0, 0, 0, 0), 86400);
  EXPECT_EQ(at(1900, 3, 1, 0, 0, 0, 0), 61 * 86400);  // 1900 is no leap year
  EXPECT_EQ(at(2027, 3, 1, 14, 5, 9, 0), 4013071509);
  // Rounded to the nearest second, halves to even.
  EXPECT_EQ(at(2027, 3, 1, 14, 5, 9, 499), 4013071509);
  EXPECT_EQ(at(2027, 3, 1, 14, 5, 9, 500), 4013071510);  // 9.5 -> 10
  EXPECT_EQ(at(2027, 3, 1, 14, 5, 10, 500), 4013071510);  // 10.5 -> 10
  EXPECT_EQ(at(2027, 3, 1, 14, 5, 10, 501), 4013071511);
  EXPECT_EQ(at(2027, 3, 1, 23, 59, 59, 999), 4013107200);  // into the next day
  EXPECT_EQ(at(1899, 12, 29, 0, 0, 0, 0), -86400);
  const int64_t now = NowSeconds();
  EXPECT_GT(now, at(2020, 1, 1, 0, 0, 0, 0));
}

TEST(Text, WaitStep) {
  const struct {
    int64_t step, duration;
    uint32_t want;
  } cases[] = {
      {0, 500, 25}, {0, 50, 5}, {0, 5, 1},  {0, 0, 1},   {0, 250, 25},
      {0, 249, 24}, {0, -100, 1}, {-5, 500, 25}, {7, 500, 7}, {100, 5, 100},
      {INT64_MAX, 5, 0x7FFFFFFFu},  // never Sleep's "for ever" value
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WaitStep(c.step, c.duration), c.want) << c.step << "/" << c.duration;
  }
}

// A clock that moves only when the wait yields.
struct FakeClock {
  int64_t now = 1000;
  std::vector<uint32_t> steps;
};

TEST(Text, RunWaitYieldsInChosenSteps) {
  const struct {
    int64_t step, duration;
    size_t rounds;
    uint32_t each;
  } cases[] = {
      {0, 500, 20, 25}, {0, 50, 10, 5}, {0, 5, 5, 1}, {0, 0, 1, 1}, {0, -10, 1, 1}, {30, 100, 4, 30},
  };
  for (const auto& c : cases) {
    FakeClock clock;
    const int64_t rounds = RunWait(
        c.step, c.duration, [](void* p) { return static_cast<FakeClock*>(p)->now; },
        [](void* p, uint32_t ms) {
          auto* f = static_cast<FakeClock*>(p);
          f->steps.push_back(ms);
          f->now += ms;
        },
        &clock);
    EXPECT_EQ(size_t(rounds), c.rounds) << c.step << "/" << c.duration;
    EXPECT_EQ(clock.steps, std::vector<uint32_t>(c.rounds, c.each)) << c.duration;
  }
}

TEST(Text, NumbersAndRandom) {
  EXPECT_EQ(MinInt64(-1, 2), -1);
  EXPECT_EQ(MaxInt64(-1, 2), 2);
  EXPECT_EQ(ClampInt64(5, 1, 3), 3);
  EXPECT_EQ(ClampInt64(-5, 1, 3), 1);
  EXPECT_EQ(ClampInt64(2, 1, 3), 2);
  EXPECT_EQ(MulDivRound(10, 96, 72), 13);    // 13.33
  EXPECT_EQ(MulDivRound(9, 96, 72), 12);     // exact
  EXPECT_EQ(MulDivRound(3, 1, 2), 2);        // 1.5: away from zero
  EXPECT_EQ(MulDivRound(-3, 1, 2), -2);
  EXPECT_EQ(MulDivRound(1, 1, 0), -1);

  for (uint64_t seed = 0; seed < 200; ++seed) {
    const int64_t v = RandomInRange(10000, 100000, seed);
    EXPECT_GE(v, 10000);
    EXPECT_LE(v, 100000);
  }
  EXPECT_EQ(RandomInRange(5, 5, 123), 5);
  const int64_t swapped = RandomInRange(9, 3, 77);
  EXPECT_TRUE(swapped >= 3 && swapped <= 9);
  (void)RandomInRange(INT64_MIN, INT64_MAX, 1);  // the whole range: no division by zero
  // Calls in quick succession still differ (the clock alone would repeat).
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) seen.insert(RandomText(10000, 100000));
  EXPECT_GT(seen.size(), 15u);
}

}  // namespace
