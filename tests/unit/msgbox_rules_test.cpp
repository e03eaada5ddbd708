#include "ui/msgbox_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace msgbox {
namespace {

std::vector<int> Ids(uint32_t flags) {
  std::vector<int> ids;
  for (const ButtonSpec& b : ButtonSet(flags)) ids.push_back(b.id);
  return ids;
}
std::vector<int> Fields(uint32_t flags) {
  std::vector<int> fields;
  for (const ButtonSpec& b : ButtonSet(flags)) fields.push_back(b.captionField);
  return fields;
}

TEST(MsgBoxRules, ButtonSets) {
  const struct {
    uint32_t flags;
    std::vector<int> ids, fields;
  } cases[] = {
      {0, {kOk}, {0}},
      {1, {kOk, kCancel}, {0, 1}},
      {2, {kAbort, kRetry, kIgnore}, {4, 5, 6}},
      {3, {kYes, kNo, kCancel}, {2, 3, 1}},
      {4, {kYes, kNo}, {2, 3}},
      {5, {kRetry, kCancel}, {5, 1}},
      {6, {}, {}},
      {15, {}, {}},
      {0x24, {kYes, kNo}, {2, 3}},              // other bits do not matter
      {0x10000321, {kOk, kCancel}, {0, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ids(c.flags), c.ids) << std::hex << c.flags;
    EXPECT_EQ(Fields(c.flags), c.fields) << std::hex << c.flags;
  }
}

TEST(MsgBoxRules, Icons) {
  EXPECT_EQ(IconId(0x10), 32513);
  EXPECT_EQ(IconId(0x24), 32514);
  EXPECT_EQ(IconId(0x30), 32515);
  EXPECT_EQ(IconId(0x40), 32516);
  EXPECT_EQ(IconId(0x00), 0);  // the program's own icon
  EXPECT_EQ(IconId(0x50), 0);
}

TEST(MsgBoxRules, FocusWrapsAround) {
  const struct {
    int k, n, want;
  } cases[] = {{0, 2, 0}, {1, 2, 1}, {2, 2, 0}, {5, 3, 2}, {-1, 3, 2}, {-4, 3, 2}, {15, 1, 0}, {0, 0, -1}};
  for (const auto& c : cases) EXPECT_EQ(FocusIndex(c.k, c.n), c.want) << c.k << " of " << c.n;
}

TEST(MsgBoxRules, KeyboardChoices) {
  const std::vector<std::string> yesNo = {"&Yes", "&No"};
  const std::vector<std::string> sameLetter = {"&Retry", "&Rename", "Cancel"};
  const std::vector<std::string> inner = {"Wieder&holen", "Abbrec&hen", "", "&"};
  const struct {
    const std::vector<std::string>* captions;
    char key;
    int alt, letter;
  } cases[] = {
      {&yesNo, 'y', 0, 0},
      {&yesNo, 'Y', 0, 0},
      {&yesNo, 'n', 1, 1},
      {&yesNo, 'x', -1, -1},
      {&sameLetter, 'R', 0, 1},   // Alt: leftmost; letter key: rightmost
      {&sameLetter, 'c', 2, 2},   // no "&": the first character
      {&inner, 'h', 0, 1},        // the letter after "&", wherever it stands
      {&inner, 'W', -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AltKeyButton(*c.captions, c.key), c.alt) << c.key;
    EXPECT_EQ(LetterKeyButton(*c.captions, c.key), c.letter) << c.key;
  }
  EXPECT_EQ(LetterKeyButton({}, 'A'), -1);
}

TEST(MsgBoxRules, BoxSize) {
  const Frame frame = {3, 3, 19};
  const struct {
    int w, h, width, height;
  } cases[] = {
      {110, 13, kMinBoxWidth, 13 + 36 + 90 + 6 + 19},   // short text: the minimum width
      {199, 38, 199 + 54 + 128 + 6, 38 + 36 + 90 + 25},   // narrow and low: wide margins
      {200, 39, 360, 39 + 36 + 64 + 25},                  // 200 + 54 + 64 + 6 = 324
      {610, 130, 610 + 54 + 64 + 6, 130 + 36 + 64 + 25},
  };
  for (const auto& c : cases) {
    const Rect r = BoxSize(c.w, c.h, frame);
    EXPECT_EQ(r.width, c.width) << c.w << "x" << c.h;
    EXPECT_EQ(r.height, c.height) << c.w << "x" << c.h;
  }
}

TEST(MsgBoxRules, PlacementInTheClientArea) {
  const Rect t = TextPlacement(354, 174, 110, 13);
  EXPECT_EQ(t.x, (354 - 54 - 110) / 2 + 54);
  EXPECT_EQ(t.y, (174 - 36 - 13) / 2);
  EXPECT_EQ(t.width, 110);
  EXPECT_EQ(t.height, 174 - t.y - 39);
  EXPECT_EQ(TextPlacement(100, 50, 101, 20).x, 27);  // halves toward zero: -55 / 2 = -27

  const std::vector<Rect> three = ButtonPlacement(400, 150, 3);
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(three[2].x, 320);  // the rightmost at cw - 80
  EXPECT_EQ(three[1].x, 250);
  EXPECT_EQ(three[0].x, 180);
  for (const Rect& r : three) {
    EXPECT_EQ(r.y, 121);
    EXPECT_EQ(r.width, 70);
    EXPECT_EQ(r.height, 23);
  }
  const std::vector<Rect> one = ButtonPlacement(354, 100, 1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].x, 274);
  EXPECT_TRUE(ButtonPlacement(354, 100, 0).empty());
}

TEST(MsgBoxRules, ComposeMsgBox) {
  const struct {
    uintptr_t mode;
    const char* title;
    int charset;
    uint32_t flags;
    std::string text;
    uint32_t wantFlags;
  } cases[] = {
      {0, "Error", 0, 0x10, "<<b>ERROR</b><P><P>body<P>", 0x10},
      {0, "Confirm", 0, 0x24, "<<b>CONFIRM</b><P><P>body<P>", 0x24},
      {0, "Hata", 162, 0x10, "<<b>Hata</b><P><P>body<P>", 0x10},    // not a default title
      {0, "error", 0, 0x10, "<<b>error</b><P><P>body<P>", 0x10},    // case-sensitive test
      {0, "Attention", 177, 0x30, "<<b>ATTENTION</b><P><P>body<P>", 0x30 | kRightAligned | kRightToLeft},
      {1, "Error", 178, 0x10, "body", 0x10 | kRightAligned | kRightToLeft},
      {2, "Error", 0, 0x10, "body", 0x10 | kNoClose},
      {0x10042, "Error", 0, 0x21, "body", 0x21},                   // an owner window
  };
  for (const auto& c : cases) {
    const BoxRequest r = ComposeMsgBox(c.mode, "body", c.title, c.flags, c.charset);
    EXPECT_EQ(r.text, c.text) << c.mode << " " << c.title;
    EXPECT_EQ(r.flags, c.wantFlags) << c.mode << " " << c.title;
  }
}

TEST(MsgBoxRules, Defaults) {
  EXPECT_EQ(TitleOrDefault("", 0), "Error");
  EXPECT_EQ(TitleOrDefault("", 1), "Attention");
  EXPECT_EQ(TitleOrDefault("", 2), "Confirm");
  EXPECT_EQ(TitleOrDefault("Mine", 0), "Mine");
  EXPECT_EQ(CaptionsOrDefault(""), kDefaultCaptions);
  EXPECT_EQ(CaptionsOrDefault("|&Tamam|"), "|&Tamam|");
  EXPECT_TRUE(IsRightToLeftCharset(177));
  EXPECT_TRUE(IsRightToLeftCharset(178));
  EXPECT_FALSE(IsRightToLeftCharset(162));
}

}  // namespace
}  // namespace msgbox
