// Cutting a description's bytes into lines and decoding them.
#include "base/line_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/utf8.h"

namespace {

// Appends the UTF-8 form of code point cp to out. A surrogate, which UTF-8
// has no form for, gets the three bytes the same formula gives (ED A0 80 to
// ED BF BF), which the UTF-8 decoder takes as not UTF-8.
void appendCodePoint(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool endsLine(int byte) { return byte == '\n' || byte == '\r' || byte == 0; }

}  // namespace

std::string utf16ToUtf8(std::string_view bytes, bool big) {
  const auto unitAt = [&](size_t at) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char32_t>(big ? (first << 8) | second
                                     : (second << 8) | first);
  };
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 4);
  size_t at = 0;
  for (; at + 2 <= bytes.size(); at += 2) {
    const char32_t unit = unitAt(at);
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 4 <= bytes.size()) {
      const char32_t low = unitAt(at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00),
                        out);
        at += 2;
        continue;
      }
    }
    appendCodePoint(unit, out);
  }
  if (at < bytes.size()) out.push_back('\xFF');
  return out;
}

// With SSE2 (every x86-64 processor) sixteen bytes are tested at a time.
// Otherwise eight bytes at a time are let through by one cheap test that
// flags every byte below 0x0E or above 0x7F (and at times a byte after one
// of them); a flagged block is looked at byte by byte, and the scan goes on
// in blocks after it.
size_t plainLineRun(std::string_view bytes) {
  const size_t n = bytes.size();
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    // Bytes 0x80 and above are negative as signed bytes.
    const __m128i ends =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(1)),
                                  _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                     _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
#endif
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  for (;;) {
    for (; i + 8 <= n; i += 8) {
      uint64_t v;
      std::memcpy(&v, bytes.data() + i, 8);
      if ((((v - kOnes * 0x0E) | v) & kHighs) != 0) break;
    }
    const size_t block = std::min(n, i + 8);
    for (; i < block; ++i) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == 0 || c >= 0x80 || c == '\n' || c == '\r') return i;
    }
    if (i == n) return n;
  }
}

void LineReader::takeByteOrderMark() {
  const std::string_view start = bytes_.substr(next_);
  if (start.starts_with("\xEF\xBB\xBF")) {
    next_ += 3;
    return;
  }
  const bool little = start.starts_with("\xFF\xFE");
  if (!little && !start.starts_with("\xFE\xFF")) return;
  decoded_ = utf16ToUtf8(start.substr(2), !little);
  bytes_ = decoded_;
  next_ = 0;
}

int LineReader::takeByte() {
  if (next_ >= bytes_.size()) return -1;
  return static_cast<unsigned char>(bytes_[next_++]);
}

int LineReader::peekByte() const {
  if (next_ >= bytes_.size()) return -1;
  return static_cast<unsigned char>(bytes_[next_]);
}

// Collects the bytes of the next line into lineBytes_, without its line
// break, which is consumed.
void LineReader::collectLine() {
  std::string& bytes = lineBytes_;
  bytes.clear();
  lineReplaced_ = false;
  lineEndedAtNul_ = false;
  for (;;) {
    // Fast path: a run of plain ASCII bytes other than CR and LF.
    const size_t run = plainLineRun(bytes_.substr(std::min(next_, bytes_.size())));
    bytes.append(bytes_.substr(next_, run));
    next_ += run;
    const int lead = takeByte();
    if (lead < 0 || lead == '\n') break;
    if (lead == 0) {
      lineEndedAtNul_ = true;
      break;
    }
    if (lead == '\r') {
      if (peekByte() == '\n') ++next_;
      break;
    }
    if (lead < 0x80) {
      bytes.push_back(static_cast<char>(lead));
      continue;
    }
    const int follow = lead >= 0xC0 && lead <= 0xDF   ? 1
                       : lead >= 0xE0 && lead <= 0xEF ? 2
                       : lead >= 0xF0 && lead <= 0xF7 ? 3
                                                      : -1;
    if (follow < 0) {
      bytes.push_back('?');  // 80..BF alone, F8..FF
      lineReplaced_ = true;
      continue;
    }
    // A lead byte takes its following bytes, but never a byte that ends the
    // line: the unit stops before it, and its incomplete sequence decodes
    // as U+FFFD. A unit cut short by the end of the bytes is dropped.
    const size_t unitStart = bytes.size();
    bytes.push_back(static_cast<char>(lead));
    for (int k = 0; k < follow; ++k) {
      const int byte = peekByte();
      if (byte < 0) {
        bytes.resize(unitStart);
        lineReplaced_ = true;
        return;
      }
      if (endsLine(byte)) break;
      bytes.push_back(static_cast<char>(byte));
      ++next_;
    }
  }
}

void LineReader::readLineInto(Text& line) {
  line.clear();
  if (atEnd()) return;
  // The common case: the whole line is plain ASCII with its line break
  // (and, after a CR, the byte that may be its LF) before the end.
  const size_t run = plainLineRun(bytes_.substr(next_));
  const size_t brk = next_ + run;
  if (brk < bytes_.size() &&
      (bytes_[brk] == '\n' || bytes_[brk] == 0 ||
       (bytes_[brk] == '\r' && brk + 1 < bytes_.size()))) {
    widenAsciiInto(bytes_.substr(next_, run), line);
    linePlain_ = true;
    lineEndedAtNul_ = bytes_[brk] == 0;
    next_ = brk + 1;
    if (bytes_[brk] == '\r' && bytes_[next_] == '\n') ++next_;
    return;
  }
  linePlain_ = false;
  try {
    collectLine();
    decodeUtf8Into(lineBytes_, line);
  } catch (const std::bad_alloc&) {
    // A line too long for the memory there is: the reading ends here.
    std::string().swap(lineBytes_);
    Text().swap(line);
    outOfMemory_ = true;
  }
}

Text LineReader::readLine() {
  Text line;
  readLineInto(line);
  return line;
}

bool LineReader::lastLineWasUtf8() const {
  return linePlain_ || (!lineReplaced_ && isWellFormedUtf8(lineBytes_));
}
