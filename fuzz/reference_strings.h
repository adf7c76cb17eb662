// Plain reference definitions of the string operations and of UTF-8, written
// position by position from their documented behaviour, for the fuzz harness
// to hold the real implementations against. Slow and obvious on purpose.
#ifndef FLOWSVG_FUZZ_REFERENCE_STRINGS_H_
#define FLOWSVG_FUZZ_REFERENCE_STRINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/strings.h"

namespace reference {

inline bool occursAt(const Text& text, size_t pos, const Text& search) {
  if (pos + search.size() > text.size()) return false;
  for (size_t k = 0; k < search.size(); ++k) {
    if (text[pos + k] != search[k]) return false;
  }
  return true;
}

inline Text trimSpaces(const Text& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  return Text(text.begin() + begin, text.begin() + end);
}

// Code units at 1-based positions first..last that exist in the text.
inline Text unitsBetween(const Text& text, int64_t first, int64_t last) {
  Text out;
  int64_t from = first < 1 ? 1 : first;
  int64_t to = last > static_cast<int64_t>(text.size())
                   ? static_cast<int64_t>(text.size())
                   : last;
  for (int64_t p = from; p <= to; ++p) out.push_back(text[p - 1]);
  return out;
}

inline Text leftPart(const Text& text, int32_t n) {
  return n <= 0 ? Text() : unitsBetween(text, 1, n);
}

inline Text rightPart(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  int64_t length = static_cast<int64_t>(text.size());
  return unitsBetween(text, length - n + 1, length);
}

inline Text midPart(const Text& text, int32_t start) {
  int64_t s = start <= 0 ? 1 : start;
  return unitsBetween(text, s, static_cast<int64_t>(text.size()));
}

inline Text midPart(const Text& text, int32_t start, int32_t count) {
  int64_t s = start <= 0 ? 1 : start;
  if (count <= 0) return Text();
  return unitsBetween(text, s, s + count - 1);
}

inline int32_t findText(const Text& text, const Text& search) {
  if (text.empty() || search.empty()) return 0;
  for (size_t pos = 0; pos < text.size(); ++pos) {
    if (occursAt(text, pos, search)) return static_cast<int32_t>(pos + 1);
  }
  return 0;
}

// The fields between the non-overlapping occurrences of separator, taken
// leftmost first: one more field than occurrences.
inline std::vector<Text> split(const Text& text, const Text& separator) {
  std::vector<Text> fields(1);
  size_t pos = 0;
  while (pos < text.size()) {
    if (occursAt(text, pos, separator)) {
      fields.emplace_back();
      pos += separator.size();
    } else {
      fields.back().push_back(text[pos]);
      ++pos;
    }
  }
  return fields;
}

inline int32_t countText(const Text& text, const Text& search) {
  if (text.empty() || search.empty()) return 0;
  return static_cast<int32_t>(split(text, search).size() - 1);
}

inline Text fieldAt(const Text& text, int32_t index, const Text& separator) {
  if (index < 1 || text.empty()) return Text();
  if (separator.empty()) return index == 1 ? text : Text();
  std::vector<Text> fields = split(text, separator);
  if (index > static_cast<int64_t>(fields.size())) return Text();
  return fields[index - 1];
}

inline Text replaceAll(const Text& text, const Text& search,
                       const Text& replacement) {
  if (search.empty()) return text;
  Text out;
  size_t pos = 0;
  while (pos < text.size()) {
    if (occursAt(text, pos, search)) {
      out += replacement;
      pos += search.size();
    } else {
      out.push_back(text[pos]);
      ++pos;
    }
  }
  return out;
}

// Value of a digit in the given base, or -1.
inline int digitValue(char16_t unit, int base) {
  static const char16_t digits[] = u"0123456789abcdef";
  char16_t lower = unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
  for (int d = 0; d < base; ++d) {
    if (digits[d] == lower) return d;
  }
  return -1;
}

inline int64_t parseInteger(const Text& text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && text[pos] == u'-') {
    negative = true;
    ++pos;
  } else if (pos < text.size() && text[pos] == u'+') {
    ++pos;
  }
  int base = 10;
  if (pos < text.size() && text[pos] == u'$') {
    base = 16;
    ++pos;
  } else if (pos < text.size() && text[pos] == u'%') {
    base = 2;
    ++pos;
  }
  uint64_t value = 0;
  while (pos < text.size() && digitValue(text[pos], base) >= 0) {
    value = value * static_cast<uint64_t>(base) +
            static_cast<uint64_t>(digitValue(text[pos], base));
    ++pos;
  }
  if (negative) value = 0 - value;
  return static_cast<int64_t>(value);
}

// Length of the longest start of bytes[pos..] that begins some well-formed
// UTF-8 sequence (RFC 3629 table), and whether it is a whole sequence.
inline size_t wellFormedPrefix(const std::string& bytes, size_t pos,
                               bool& complete) {
  auto at = [&](size_t k) {
    return static_cast<unsigned char>(bytes[pos + k]);
  };
  unsigned char lead = at(0);
  size_t need;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  complete = false;
  if (lead < 0x80) {
    complete = true;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  size_t got = 0;
  while (got < need && pos + 1 + got < bytes.size()) {
    unsigned char byte = at(1 + got);
    bool fits =
        got == 0 ? byte >= low && byte <= high : byte >= 0x80 && byte <= 0xBF;
    if (!fits) break;
    ++got;
  }
  complete = got == need;
  return 1 + got;
}

// Decodes by the maximal-subpart rule: each whole sequence gives its code
// point (a surrogate pair above U+FFFF), each longest start of a sequence
// that breaks off, or a byte that can start none, gives one U+FFFD. Stops
// before the first 0x00.
inline Text decodeUtf8(const std::string& bytes) {
  Text out;
  size_t pos = 0;
  while (pos < bytes.size() && bytes[pos] != 0) {
    bool complete;
    size_t length = wellFormedPrefix(bytes, pos, complete);
    if (!complete) {
      out.push_back(0xFFFD);
      pos += length == 0 ? 1 : length;
      continue;
    }
    char32_t cp =
        length == 1 ? static_cast<unsigned char>(bytes[pos])
                    : static_cast<unsigned char>(bytes[pos]) & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      cp = cp * 64 + (static_cast<unsigned char>(bytes[pos + k]) - 0x80);
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) / 1024)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) % 1024)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    pos += length;
  }
  return out;
}

inline bool isWellFormedUtf8(const std::string& bytes) {
  for (size_t pos = 0; pos < bytes.size();) {
    bool complete;
    size_t length = wellFormedPrefix(bytes, pos, complete);
    if (!complete) return false;
    pos += length;
  }
  return true;
}

// The text with every surrogate half that is not part of a high-low pair
// replaced by U+FFFD.
inline Text pairedSurrogatesOnly(const Text& text) {
  Text out;
  for (size_t k = 0; k < text.size(); ++k) {
    char16_t unit = text[k];
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
        text[k + 1] <= 0xDFFF) {
      out.push_back(unit);
      out.push_back(text[++k]);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.push_back(0xFFFD);
    } else {
      out.push_back(unit);
    }
  }
  return out;
}

}  // namespace reference

#endif  // FLOWSVG_FUZZ_REFERENCE_STRINGS_H_
