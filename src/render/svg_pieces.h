// Small pieces the SVG writers build their lines from.
#ifndef FLOWSVG_RENDER_SVG_PIECES_H_
#define FLOWSVG_RENDER_SVG_PIECES_H_

#include <cstdint>

#include "text/strings.h"

// An attribute value between double-quote characters.
inline Text quoted(TextView value) {
  Text result(u"\"");
  result += value;
  result += u'"';
  return result;
}

// A number as an attribute value: its decimal digits between double quotes.
inline Text quoted(int32_t value) { return quoted(formatInteger(value)); }

// "<!-- " text " -->".
inline Text commentLine(TextView text) {
  Text result(u"<!-- ");
  result += text;
  result += u" -->";
  return result;
}

#endif  // FLOWSVG_RENDER_SVG_PIECES_H_
