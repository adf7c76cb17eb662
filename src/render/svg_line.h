// Builds the lines of an SVG document as UTF-8 straight in the drawing's
// buffer (line_buffer.h: lineRoom), so writing a large drawing
// allocates next to nothing and copies each byte once.
//
//   SvgLine line(file);
//   line << "<rect x=\"" << x << "\" />";
//   line.end();      // ends the line with CR LF
//   line.release();  // the lines go to the file (also on destruction)
//
// Fixed markup goes in as ASCII literals, numbers in decimal, texts of the
// program (captions, the timestamp) as UTF-16 texts, and text from the
// description through Escaped, which applies the XML escaping on the way.
// The bytes are those writeLine would write for the same text. Lines of
// several SvgLines on one file may follow each other, but an SvgLine holds
// its ended lines in the buffer until it releases them: one that lives
// while another writer writes to the file must release() first.
#ifndef FLOWSVG_RENDER_SVG_LINE_H_
#define FLOWSVG_RENDER_SVG_LINE_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "render/svg_document.h"
#include "base/line_buffer.h"
#include "base/strings.h"
#include "base/utf8.h"

// Description text to be written escaped.
struct Escaped {
  TextView text;
};

class SvgLine {
 public:
  explicit SvgLine(LineBuffer& out) : out_(out) { begin(); }

  // An ASCII literal; its length is known when the program is built, so the
  // copy is a few moves.
  template <size_t N>
  SvgLine& operator<<(const char (&ascii)[N]) {
    if constexpr (N > 1) {
      std::memcpy(room(N - 1), ascii, N - 1);
      used_ += N - 1;
    }
    return *this;
  }
  SvgLine& operator<<(std::string_view ascii) {
    if (ascii.empty()) return *this;
    std::memcpy(room(ascii.size()), ascii.data(), ascii.size());
    used_ += ascii.size();
    return *this;
  }
  SvgLine& operator<<(TextView text) {
    if (text.empty()) return *this;
    used_ += encodeUtf8Into(text, room(MaxUtf8BytesPerUnit * text.size()));
    return *this;
  }
  SvgLine& operator<<(int32_t number) {
    char* at = room(11);  // "-2147483648" at the most
    uint32_t magnitude = static_cast<uint32_t>(number);
    if (number < 0) {
      *at++ = '-';
      magnitude = ~magnitude + 1;
    }
    // The length first, by comparisons only (drawings hold numbers of two
    // to four digits, mostly), then the digits from the right, two at a
    // time from a table of the pairs 00 to 99.
    size_t digits = magnitude < 100     ? (magnitude < 10 ? 1 : 2)
                    : magnitude < 10000 ? (magnitude < 1000 ? 3 : 4)
                                        : 5;
    for (uint32_t limit = 100000; digits < 10 && magnitude >= limit;
         limit *= 10) {
      ++digits;
    }
    char* const last = at + digits;
    char* p = last;
    while (magnitude >= 100) {
      const uint32_t pair = magnitude % 100;
      magnitude /= 100;
      p -= 2;
      std::memcpy(p, DigitPairs + 2 * pair, 2);
    }
    if (magnitude >= 10) {
      p -= 2;
      std::memcpy(p, DigitPairs + 2 * magnitude, 2);
    } else {
      *--p = static_cast<char>('0' + magnitude);
    }
    used_ = static_cast<size_t>(last - start_);
    return *this;
  }
  SvgLine& operator<<(Escaped description) {
    used_ += escapeXmlUtf8Into(
        description.text,
        room(MaxEscapedBytesPerUnit * description.text.size() + 2));
    return *this;
  }

  // Ends the line built so far with CR LF and starts the next one.
  void end() {
    std::memcpy(room(2), "\r\n", 2);
    used_ += 2;
    ended_ = used_;
  }

  // Hands the lines ended so far to the file. Must come before anything
  // else writes to the file (another SvgLine, writeLine) while this one
  // lives; its destructor does it too. Nothing may be built after the last
  // end().
  void release() {
    if (ended_ > 0) out_.endLineInPlace(ended_ - 2);
    begin();
  }
  ~SvgLine() { release(); }
  SvgLine(const SvgLine&) = delete;
  SvgLine& operator=(const SvgLine&) = delete;

  // Writes one whole line; nothing may be built yet.
  template <size_t N>
  void write(const char (&ascii)[N]) {
    *this << ascii;
    end();
  }
  void write(TextView whole) {
    *this << whole;
    end();
  }

  // Writes "<!-- " text " -->".
  void comment(TextView text) {
    *this << "<!-- " << text << " -->";
    end();
  }

 private:
  static constexpr char DigitPairs[] =
      "000102030405060708091011121314151617181920212223242526272829303132"
      "333435363738394041424344454647484950515253545556575859606162636465"
      "666768697071727374757677787980818283848586878889909192939495969798"
      "99";

  // The place of the next lines is asked for with their first bytes
  // (size_ 0 makes the first room() ask).
  void begin() {
    start_ = nullptr;
    size_ = 0;
    used_ = 0;
    ended_ = 0;
  }

  // Where the next bytes go, with room for at least extra of them; extra is
  // never 0. When the room runs out, the lines ended so far go to the file
  // first; the line being built then starts where the file's next bytes go,
  // which is where it already stands.
  char* room(size_t extra) {
    if (size_ - used_ < extra) [[unlikely]] {
      if (ended_ > 0) {
        out_.endLineInPlace(ended_ - 2, used_ - ended_);
        start_ += ended_;
        size_ -= ended_;
        used_ -= ended_;
        ended_ = 0;
      }
      const LineRoom room = out_.lineRoom(used_, extra);
      start_ = room.start;
      size_ = room.size;
    }
    return start_ + used_;
  }

  LineBuffer& out_;
  // Ended lines (each with its CR LF) and the line being built, in the
  // file's write buffer (or beside it, for a line longer than the buffer).
  char* start_ = nullptr;  // the first byte
  size_t size_ = 0;        // bytes that fit from start_
  size_t used_ = 0;        // bytes so far
  size_t ended_ = 0;       // of which the ended lines
};

#endif  // FLOWSVG_RENDER_SVG_LINE_H_
