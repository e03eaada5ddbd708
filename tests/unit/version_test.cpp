#include "env/version.h"

#include <gtest/gtest.h>

TEST(Version, Normalize) {
  struct Case {
    const char* text;
    int width, parts;
    const char* want;
  } cases[] = {
      {"1,2,3,4", 2, 3, "01.02.03"},
      {"1.0.0.12", 1, 4, "1.0.0.12"},
      {"v1.2", 3, 4, "001.002.000.000"},   // missing fields count as 0
      {"10.0.19041.1", 1, 3, "10.0.19041"},
      {"1..3", 1, 3, "1.0.3"},             // an empty field is 0
      {"", 1, 2, "0.0"},
      {"007.8", 1, 2, "7.8"},
      {"1.2", 2, 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeVersion(c.text, c.width, c.parts), c.want) << c.text;
}
