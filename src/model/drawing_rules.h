// How the drawing treats the texts of a description, where both the SVG
// writer (which applies the rules) and the parser's warnings (which tell the
// user when a text is cut or does not fit) need to know them.
#ifndef FLOWSVG_MODEL_DRAWING_RULES_H_
#define FLOWSVG_MODEL_DRAWING_RULES_H_

#include <cstdint>

// A box line "key: value" longer than this has its value cut to
// CutValueLength characters, followed by "...".
inline constexpr int32_t LongestContentLine = 28;
inline constexpr int32_t CutValueLength = 25;

// The summary panel shows at most this many lines, each cut to
// LongestSummaryLine characters (the last three then being "...").
inline constexpr int32_t MostSummaryLines = 6;
inline constexpr int32_t LongestSummaryLine = 90;

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
