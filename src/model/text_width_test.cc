#include "model/text_width.h"

#include <gtest/gtest.h>

#include "model/liberation_sans_widths.h"

namespace {

// Widths in font units at size 1, from the table of Liberation Sans and the
// rules for other characters.
TEST(TextWidthTest, UnitsOfCharacters) {
  const struct {
    const char16_t* text;
    FontWeight weight;
    int64_t units;
  } cases[] = {
      {u"", FontWeight::Regular, 0},
      {u"i", FontWeight::Regular, 455},
      {u"i", FontWeight::Bold, 569},
      {u"W", FontWeight::Bold, 1933},
      {u"Aa", FontWeight::Regular, 1366 + 1139},
      {u"\t", FontWeight::Regular, 569},        // a control: a space
      {u"\u00e9", FontWeight::Regular, 2048},   // not ASCII: one em
      {u"\U0001F600", FontWeight::Bold, 2048},  // a pair counted once
  };
  for (const auto& c : cases) {
    EXPECT_EQ(textWidthUnits(c.text, c.weight), c.units)
        << static_cast<int>(c.text[0]);
  }
}

TEST(TextWidthTest, PixelsAreRoundedToTheNearest) {
  // 1933 units at 14 px is 13.21 px; ten of them 132.1 px.
  EXPECT_EQ(textWidth(u"W", 14, FontWeight::Bold), 13);
  EXPECT_EQ(textWidth(u"WWWWWWWWWW", 14, FontWeight::Bold), 132);
  // 1024 units (half an em) at 11 px is 5.5 px: rounded up.
  EXPECT_EQ(unitsToPixels(1024, 11), 6);
  EXPECT_EQ(LiberationSansUnitsPerEm, 2048);
}

}  // namespace
