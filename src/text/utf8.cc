#include "text/utf8.h"

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

}  // namespace

Text decodeUtf8(std::string_view bytes) {
  Text out;
  decodeUtf8Into(bytes, out);
  return out;
}

void decodeUtf8Into(std::string_view bytes, Text& out) {
  out.clear();
  size_t i = 0;
  const size_t n = bytes.size();
  // Plain ASCII, by far the most common content, is widened in one run.
  while (i < n && static_cast<unsigned char>(bytes[i]) - 1u < 0x7Fu) ++i;
  out.resize(i);
  for (size_t k = 0; k < i; ++k) out[k] = static_cast<unsigned char>(bytes[k]);
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
      out.push_back(kReplacement);
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
    } else {
      out.push_back(kReplacement);
    }
    i = j;
  }
}

size_t encodeUtf8Into(TextView text, char* dest) {
  char* out = dest;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t cp = text[i];
    if (cp < 0x80) {
      *out++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;  // two code units, four bytes: within the bound of three per unit
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
