#include "model/text_width.h"

#include "model/liberation_sans_widths.h"

int64_t textWidthUnits(TextView text, FontWeight weight) {
  const int16_t* widths = weight == FontWeight::Bold
                              ? LiberationSansBoldWidths
                              : LiberationSansRegularWidths;
  int64_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c <= 0x7E) {
      units += widths[c - 0x20];
    } else if (c < 0x20 || c == 0x7F) {
      units += widths[0];
    } else if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 &&
               text[i - 1] <= 0xDBFF) {
      // The second half of a pair: the character was counted with the first.
    } else {
      units += LiberationSansUnitsPerEm;
    }
  }
  return units;
}

int32_t unitsToPixels(int64_t units, int32_t fontSize) {
  return static_cast<int32_t>(
      (units * fontSize + LiberationSansUnitsPerEm / 2) /
      LiberationSansUnitsPerEm);
}

int32_t textWidth(TextView text, int32_t fontSize, FontWeight weight) {
  return unitsToPixels(textWidthUnits(text, weight), fontSize);
}
