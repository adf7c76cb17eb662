#include "base/utf8.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The allowed range of the second byte after a lead byte, per the table of
// well-formed UTF-8 sequences; later continuation bytes are 80..BF.
bool secondByteFits(unsigned char lead, unsigned char byte) {
  switch (lead) {
    case 0xE0:
      return byte >= 0xA0 && byte <= 0xBF;
    case 0xED:
      return byte >= 0x80 && byte <= 0x9F;
    case 0xF0:
      return byte >= 0x90 && byte <= 0xBF;
    case 0xF4:
      return byte >= 0x80 && byte <= 0x8F;
    default:
      return byte >= 0x80 && byte <= 0xBF;
  }
}

void appendCodePoint(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Copies count ASCII units as bytes. The pointers never overlap, which lets
// the compiler use vector instructions.
void narrowAscii(const char16_t* __restrict units, size_t count,
                 char* __restrict dest) {
  for (size_t k = 0; k < count; ++k) dest[k] = static_cast<char>(units[k]);
}

// Copies count ASCII bytes as UTF-16 units; see narrowAscii.
void widenAscii(const char* __restrict bytes, size_t count,
                char16_t* __restrict dest) {
  for (size_t k = 0; k < count; ++k) {
    dest[k] = static_cast<unsigned char>(bytes[k]);
  }
}

// Length of the run of plain ASCII bytes (0x01 to 0x7F) at the start of
// bytes, checked eight bytes at a time.
size_t asciiRunLength(std::string_view bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  const size_t n = bytes.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t v;
    std::memcpy(&v, bytes.data() + i, 8);
    // A high bit set, or a zero byte (the classic has-zero-byte test).
    if (((v - kOnes) & ~v & kHighs) != 0 || (v & kHighs) != 0) break;
  }
  while (i < n && static_cast<unsigned char>(bytes[i]) - 1u < 0x7Fu) ++i;
  return i;
}

}  // namespace

void widenAsciiInto(std::string_view ascii, Text& out) {
  out.resize(ascii.size());
  widenAscii(ascii.data(), ascii.size(), out.data());
}

Text decodeUtf8(std::string_view bytes) {
  Text out;
  decodeUtf8Into(bytes, out);
  return out;
}

namespace {

// Decodes bytes into out. Each maximal ill-formed subpart becomes one U+FFFD,
// or, when escapeBytes is set, each of its bytes the lone surrogate U+DC00
// plus the byte.
void decodeInto(std::string_view bytes, Text& out, bool escapeBytes) {
  out.clear();
  size_t i = 0;
  const size_t n = bytes.size();
  // Plain ASCII, by far the most common content, is widened in one run.
  i = asciiRunLength(bytes);
  out.resize(i);
  widenAscii(bytes.data(), i, out.data());
  while (i < n) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead == 0) break;  // a text ends before U+0000
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    int need;
    char32_t cp;
    if (lead >= 0xC2 && lead <= 0xDF) {
      need = 1;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      need = 2;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      need = 3;
      cp = lead & 0x07;
    } else {
      // C0, C1, F5..FF and stray continuation bytes are ill-formed alone.
      out.push_back(escapeBytes ? static_cast<char16_t>(0xDC00 + lead)
                                : kReplacement);
      ++i;
      continue;
    }
    // Take continuation bytes while they fit; the maximal ill-formed subpart
    // (lead plus the fitting bytes before a misfit) becomes one U+FFFD.
    size_t j = i + 1;
    int got = 0;
    while (got < need && j < n) {
      unsigned char byte = static_cast<unsigned char>(bytes[j]);
      bool fits = got == 0 ? secondByteFits(lead, byte)
                           : (byte >= 0x80 && byte <= 0xBF);
      if (!fits) break;
      cp = (cp << 6) | (byte & 0x3F);
      ++got;
      ++j;
    }
    if (got == need) {
      appendCodePoint(out, cp);
    } else if (escapeBytes) {
      for (size_t k = i; k < j; ++k) {
        out.push_back(
            static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[k])));
      }
    } else {
      out.push_back(kReplacement);
    }
    i = j;
  }
}

}  // namespace

void decodeUtf8Into(std::string_view bytes, Text& out) {
  decodeInto(bytes, out, false);
}

bool isWellFormedUtf8(std::string_view bytes) {
  const size_t n = bytes.size();
  size_t i = asciiRunLength(bytes);
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    int need;
    if (lead > 0 && lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      need = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      need = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      need = 3;
    } else {
      return false;  // 0x00 ends a text; C0, C1, F5..FF, stray 80..BF
    }
    if (n - i <= static_cast<size_t>(need)) return false;
    const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    if (!secondByteFits(lead, second)) return false;
    for (int k = 2; k <= need; ++k) {
      const unsigned char byte = static_cast<unsigned char>(bytes[i + k]);
      if (byte < 0x80 || byte > 0xBF) return false;
    }
    i += static_cast<size_t>(need) + 1;
  }
  return true;
}

Text decodeUtf8Escaped(std::string_view bytes) {
  Text out;
  decodeInto(bytes, out, true);
  return out;
}

std::string encodeUtf8Escaped(TextView text) {
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0xDC80 || c > 0xDCFF) continue;
    // A low surrogate that completes a pair is part of a character.
    if (i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) continue;
    appendUtf8(out, text.substr(start, i - start));
    out.push_back(static_cast<char>(c - 0xDC00));
    start = i + 1;
  }
  appendUtf8(out, text.substr(start));
  return out;
}

size_t encodeUtf8Into(TextView text, char* dest) {
  char* out = dest;
  const size_t n = text.size();
  const char16_t* units = text.data();
  size_t i = 0;
  while (i < n) {
    // Plain ASCII in blocks of eight units: narrowed in one simple loop that
    // the compiler turns into vector instructions.
    size_t run = i;
    while (run + 8 <= n) {
      char16_t any = 0;
      for (size_t k = 0; k < 8; ++k) any |= units[run + k];
      if (any >= 0x80) break;
      run += 8;
    }
    narrowAscii(units + i, run - i, out);
    out += run - i;
    i = run;
    // Then up to eight units one at a time, whatever they are.
    const size_t stop = n - i < 8 ? n : i + 8;
    for (; i < stop; ++i) {
      char32_t cp = units[i];
      if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
        continue;
      }
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
        ++i;  // two units, four bytes: within the bound of three per unit
      } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = 0xFFFD;  // an unpaired surrogate cannot be encoded
      }
      if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
      } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
      } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
      }
    }
  }
  return static_cast<size_t>(out - dest);
}

void appendUtf8(std::string& out, TextView text) {
  size_t used = out.size();
  out.resize(used + MaxUtf8BytesPerUnit * text.size());
  out.resize(used + encodeUtf8Into(text, out.data() + used));
}

std::string encodeUtf8(TextView text) {
  std::string out;
  appendUtf8(out, text);
  return out;
}
