#include "ui/rich_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Span {
  int start, end;
  bool operator==(const Span& o) const { return start == o.start && end == o.end; }
};

std::vector<Span> Runs(const RichText& t) {
  std::vector<Span> runs;
  for (const BoldRun& r : t.bold) runs.push_back({r.start, r.end});
  return runs;
}

TEST(RichText, MarkupAndBoldRuns) {
  const struct {
    const char* text;
    std::string plain;
    std::vector<Span> bold;
  } cases[] = {
      {"plain", "plain", {}},
      {"a<P>b<p>c", "a\r\nb\r\nc", {}},                      // both cases break the line
      {"a<t>b\\\\nc\\\\td", "a\tb\r\nc\td", {}},
      {"<b>Hi</b> there", "Hi there", {{0, 2}}},
      {"x <B>one</b> y <b>two</B>", "x one y two", {{2, 5}, {8, 11}}},
      {"a < b and <c> stay", "a < b and <c> stay", {}},      // other "<" texts are kept
      {"<<b>ERROR</b><P><P>text<P>", "ERROR\r\n\r\ntext\r\n", {{0, 5}}},  // no stray "<"
      {"<<B>x", "<x", {}},   // only "<<b>" loses its first character; "<B>" is a tag
      {"<b>open to the end", "open to the end", {}},          // no closing: no run
      {"</b>before<b>after", "beforeafter", {}},              // a closing ahead of the opening
      {"a</b>b", "ab", {}},                                   // stray closings go
      {"<b></b>x", "x", {{0, 0}}},
      {"<P><b>x</b>", "\r\nx", {{2, 3}}},                     // offsets in the final text
      {"<b>a</b></b> <b>c</b>", "a c", {{0, 1}}},             // a stray closing ends all runs after it
      // Nested: the outer run ends at the first closing, counted while the
      // inner opening still stands; the inner one finds no closing left.
      {"<b>a<b>b</b>", "ab", {{0, 5}}},
      {"<b>a<b>b</b>c</b>", "abc", {{0, 5}, {1, 3}}},
      {"<<B>B>", "<B>", {}},                                  // a tag formed by a cut is text
      {"", "", {}},
  };
  for (const auto& c : cases) {
    const RichText t = LayoutRichText(c.text);
    EXPECT_EQ(t.plain, c.plain) << c.text;
    EXPECT_EQ(Runs(t), c.bold) << c.text;
  }
}

TEST(RichText, OffsetsBeyond64KiBStayAtTheEnd) {
  const RichText t = LayoutRichText(std::string(70000, 'a') + "<b>x</b>");
  ASSERT_EQ(t.bold.size(), 1u);
  EXPECT_EQ(t.bold[0].start, 0xFFFF);
  EXPECT_EQ(t.bold[0].end, 0xFFFF);
}

TEST(RichText, ManyTags) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "<b>w</b>";
  const RichText t = LayoutRichText(text);
  EXPECT_EQ(t.plain, std::string(2000, 'w'));
  ASSERT_EQ(t.bold.size(), 2000u);
  EXPECT_EQ(t.bold[1999].start, 1999);
  EXPECT_EQ(t.bold[1999].end, 2000);

  // Megabytes of tags from a strings block: one pass, not one per tag.
  std::string huge;
  for (int i = 0; i < 200000; ++i) huge += "<B>x<b>";
  huge += "</b>";
  const RichText h = LayoutRichText(huge);
  EXPECT_EQ(h.plain, std::string(200000, 'x'));
  ASSERT_EQ(h.bold.size(), 1u);
  EXPECT_EQ(h.bold[0].start, 0);
  EXPECT_EQ(h.bold[0].end, 0xFFFF);  // far beyond 16 bits: kept at the end
}

TEST(RichText, SplitLines) {
  EXPECT_EQ(SplitLines(""), std::vector<std::string>{" "});
  EXPECT_EQ(SplitLines("one"), std::vector<std::string>{"one"});
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(SplitLines("a\nb\rc"), std::vector<std::string>{"a\nb\rc"});  // CR LF only
}

TEST(RichText, LineHeight) {
  EXPECT_EQ(LineHeight(13, 0, "Tahoma"), 13);
  EXPECT_EQ(LineHeight(13, 2, "Tahoma"), 15);
  EXPECT_EQ(LineHeight(13, 2, "  ms pgothic "), 16);
  EXPECT_EQ(LineHeight(13, 2, "MS Gothic"), 15);
}

TEST(RichText, MeasureLines) {
  const struct {
    std::vector<int> extents;
    int width, height;
  } cases[] = {
      {{100}, 110, 13},
      {{100, 250, 40}, 260, 39},
      {{590}, 600, 13},       // + 10 reaches the cap exactly
      {{599}, 600, 13},
      {{600}, 600, 26},       // a second line from 600 pixels on
      {{1300, 10}, 600, 52},  // 1300 wraps into three lines
  };
  for (const auto& c : cases) {
    const TextSize s = MeasureLines(c.extents, 13);
    EXPECT_EQ(s.width, c.width) << c.extents[0];
    EXPECT_EQ(s.height, c.height) << c.extents[0];
  }
}

// A control that wraps a bold text while narrower than `needs`.
struct FakeControl {
  int needs;
  int height;
  std::vector<int> tried;
  int width = 0;
};

AskedSize Try(void* context, int width) {
  auto* c = static_cast<FakeControl*>(context);
  c->tried.push_back(width);
  c->width = width;
  return {width + 5, width >= c->needs ? c->height : c->height * 2};
}

TEST(RichText, FitBoldWidthWidensUntilTheTextFits) {
  FakeControl fits{200, 26, {}};
  EXPECT_EQ(FitBoldWidth(200, 26, Try, &fits), 200);
  EXPECT_EQ(fits.tried, std::vector<int>{200});

  FakeControl wider{235, 26, {}};
  EXPECT_EQ(FitBoldWidth(200, 26, Try, &wider), 240);
  EXPECT_EQ(wider.tried, (std::vector<int>{200, 210, 220, 230, 240}));

  // Never fits in 21 tries: the widest asked width + 10 is set last.
  FakeControl never{10000, 26, {}};
  EXPECT_EQ(FitBoldWidth(200, 26, Try, &never), 200 + 200 + 5 + 10);
  EXPECT_EQ(never.tried.size(), 22u);
  EXPECT_EQ(never.width, 415);
}

}  // namespace
