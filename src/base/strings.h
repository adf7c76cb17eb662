// Text and the string operations every other layer builds on.
//
// A Text is an immutable-by-convention sequence of UTF-16 code units. Lengths
// and positions count code units; positions are 1-based. Equality is plain
// code-unit equality (operator== of std::u16string): case-sensitive, no
// normalisation, no trimming. A text never holds U+0000.
//
// Every operation is a pure function: it never modifies its arguments, never
// fails, and gives a defined result for every argument value (zero, negative
// numbers, empty texts included).
#ifndef FLOWSVG_BASE_STRINGS_H_
#define FLOWSVG_BASE_STRINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

using Text = std::u16string;
using TextView = std::u16string_view;

// The text without its leading and trailing SPACE (U+0020) characters. No
// other character is removed: TAB, NO-BREAK SPACE and U+FEFF stay.
Text trimSpaces(TextView text);

// The same as trimSpaces, as a view into text (no copy). Inline: the
// parser calls it three times a line.
inline TextView trimSpacesView(TextView text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  return text.substr(begin, end - begin);
}

// The first / last min(n, length) code units; empty for n <= 0.
Text leftPart(TextView text, int32_t n);
Text rightPart(TextView text, int32_t n);

// The code units from 1-based position start to the end. A start of 0 or
// less counts as 1; a start past the end gives the empty text.
Text midPart(TextView text, int32_t start);

// count code units from 1-based position start. A start of 0 or less counts
// as 1 (the count is not shortened by that move); a count of 0 or less gives
// the empty text.
Text midPart(TextView text, int32_t start, int32_t count);

// Number of code units.
int32_t textLength(TextView text);

// 1-based position of the first occurrence of search, 0 if none or if either
// text is empty.
int32_t findText(TextView text, TextView search);

// Number of non-overlapping occurrences, leftmost first; 0 when either text
// is empty.
int32_t countText(TextView text, TextView search);

// Field number index (1-based) of the text split at separator, occurrences
// found as countText finds them. Empty for index < 1, an empty text, or an
// index past the last field. With an empty separator the whole text is field
// 1 and there is no other.
Text fieldAt(TextView text, int32_t index, TextView separator);

// The text with every occurrence of search replaced, scanning left to right
// and never rescanning what was written. An empty search leaves the text as
// it is.
Text replaceAll(TextView text, TextView search, TextView replacement);

// Each code unit replaced by its simple Unicode lowercase mapping; the length
// never changes. Independent of the process locale.
Text lowerCase(TextView text);

// Reads a signed integer: leading SPACE/TAB skipped, one optional sign, "$"
// for hexadecimal or "%" for binary, digits up to the first non-digit.
// Accumulates in unsigned 64-bit arithmetic, wrapping without notice; 0 when
// there is no digit.
int64_t parseInteger(TextView text);

// The same, telling where the number ended: how many digits were read and
// the position after the last of them (after the sign and base mark when
// there is no digit).
struct IntegerExtent {
  size_t digits = 0;
  size_t end = 0;
};
int64_t parseInteger(TextView text, IntegerExtent* extent);

// Decimal digits of the value, "-" in front when negative; covers the whole
// signed 64-bit range.
Text formatInteger(int64_t value);

#endif  // FLOWSVG_BASE_STRINGS_H_
