// How wide a text comes out in the drawing, estimated with the advance
// widths of Liberation Sans, the Arial-compatible font that browsers on
// Linux draw the drawing's "Arial" with. Printable ASCII characters take
// their width from the font; a control character counts as a space (the
// drawing's white space rules turn it into one or drop it); every other
// character, a surrogate pair counted once, as one em.
#ifndef FLOWSVG_MODEL_TEXT_WIDTH_H_
#define FLOWSVG_MODEL_TEXT_WIDTH_H_

#include <cstdint>

#include "base/strings.h"

enum class FontWeight { Regular, Bold };

// The width of text at the given font size in pixels, rounded to the
// nearest pixel.
int32_t textWidth(TextView text, int32_t fontSize, FontWeight weight);

// The same in font units of 1/LiberationSansUnitsPerEm em at size 1, for
// adding up the parts of one line before rounding.
int64_t textWidthUnits(TextView text, FontWeight weight);

// Pixels from units at a font size, rounded to the nearest pixel.
int32_t unitsToPixels(int64_t units, int32_t fontSize);

#endif  // FLOWSVG_MODEL_TEXT_WIDTH_H_
