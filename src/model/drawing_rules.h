// How the drawing treats the texts of a description, where both the SVG
// writer (which applies the rules) and the parser's warnings (which tell the
// user when a text is cut or does not fit) need to know them.
#ifndef FLOWSVG_MODEL_DRAWING_RULES_H_
#define FLOWSVG_MODEL_DRAWING_RULES_H_

#include <cstdint>
#include <vector>

#include "base/strings.h"

// The first units code units of text, one fewer where the cut would fall
// between the two units of a character above U+FFFF, so that no cut text
// ends in half a character. Lengths count UTF-16 code units, in which such
// a character counts as two.
inline TextView leftPartWhole(TextView text, size_t units) {
  if (units >= text.size()) return text;
  if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF &&
      text[units] >= 0xDC00 && text[units] <= 0xDFFF) {
    --units;
  }
  return text.substr(0, units);
}

// A box line "key: value" longer than this has its value cut to
// CutValueLength characters (leftPartWhole), followed by "...".
inline constexpr int32_t LongestContentLine = 28;
inline constexpr int32_t CutValueLength = 25;

// The part of a box line's value that the box shows after the key and its
// colon; cut tells whether it was cut (the box then adds "...").
inline TextView shownBoxValue(TextView key, TextView value, bool& cut) {
  cut = textLength(key) + 1 + textLength(value) > LongestContentLine;
  return cut ? leftPartWhole(value, CutValueLength) : value;
}

// The summary panel shows at most this many lines, each cut to
// LongestSummaryLine characters (the last three then being "...": the
// line's first LongestSummaryLine - 3, as leftPartWhole keeps them).
inline constexpr int32_t MostSummaryLines = 6;
inline constexpr int32_t LongestSummaryLine = 90;

// The summary text split into the panel's lines: "|" and the two characters
// "\n" both end a line; each line is trimmed of spaces. Empty lines are
// kept (the panel skips them, but they count towards MostSummaryLines).
inline std::vector<Text> summaryLines(TextView summary) {
  const Text text = replaceAll(summary, u"\\n", u"|");
  std::vector<Text> lines;
  for (size_t begin = 0;;) {
    const size_t bar = text.find(u'|', begin);
    lines.emplace_back(trimSpacesView(TextView(text).substr(
        begin, bar == Text::npos ? Text::npos : bar - begin)));
    if (bar == Text::npos) return lines;
    begin = bar + 1;
  }
}

// Where the texts of a box start, from the box's left edge (the box is
// ItemWidth wide), and the gap between a box line's key and its value.
inline constexpr int32_t TitleInset = 15;
inline constexpr int32_t ContentInset = 10;
inline constexpr int32_t ContentValueGap = 3;

// The width of a band's label, in which the section name is centred.
inline constexpr int32_t BandLabelWidth = 110;

// Font sizes in pixels, as the drawing's style sheet gives them: the box
// title and the band label are bold, a box line's key bold and its value
// regular.
inline constexpr int32_t TitleFontSize = 14;
inline constexpr int32_t SectionLabelFontSize = 13;
inline constexpr int32_t ContentFontSize = 11;

#endif  // FLOWSVG_MODEL_DRAWING_RULES_H_
