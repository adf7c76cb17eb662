// Builds the lines of an SVG document as UTF-8 in a buffer that is reused
// from line to line, so writing a large drawing allocates next to nothing
// and never holds more than one line.
//
//   SvgLine line(file);
//   line << "<rect x=\"" << x << "\" />";
//   line.end();  // writes the line and empties the buffer
//
// Fixed markup goes in as ASCII literals, numbers in decimal, texts of the
// program (captions, the timestamp) as UTF-16 texts, and text from the
// description through Escaped, which applies the XML escaping on the way.
// The bytes are those writeLine would write for the same text.
#ifndef FLOWSVG_RENDER_SVG_LINE_H_
#define FLOWSVG_RENDER_SVG_LINE_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "render/svg_document.h"
#include "text/strings.h"
#include "text/text_file.h"
#include "text/utf8.h"

// Description text to be written escaped.
struct Escaped {
  TextView text;
};

class SvgLine {
 public:
  explicit SvgLine(FileHandle file) : file_(file) { line_.resize(256); }

  // An ASCII literal; its length is known when the program is built, so the
  // copy is a few moves.
  template <size_t N>
  SvgLine& operator<<(const char (&ascii)[N]) {
    char* at = room(N - 1);
    std::memcpy(at, ascii, N - 1);
    used_ += N - 1;
    return *this;
  }
  SvgLine& operator<<(std::string_view ascii) {
    std::memcpy(room(ascii.size()), ascii.data(), ascii.size());
    used_ += ascii.size();
    return *this;
  }
  SvgLine& operator<<(TextView text) {
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
    // The length first, by comparisons only, then the digits from the right.
    size_t digits = 1;
    for (uint32_t limit = 10; digits < 10 && magnitude >= limit; limit *= 10) {
      ++digits;
    }
    char* last = at + digits;
    for (char* p = last; p != at;) {
      *--p = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    }
    used_ = static_cast<size_t>(last - line_.data());
    return *this;
  }
  SvgLine& operator<<(Escaped description) {
    used_ += escapeXmlUtf8Into(description.text, room(MaxEscapedBytesPerUnit *
                                                      description.text.size()));
    return *this;
  }

  // Writes the line built so far and starts the next one.
  void end() {
    writeEncodedLine(file_, std::string_view(line_.data(), used_));
    used_ = 0;
  }

  // Writes one whole line.
  template <size_t N>
  void write(const char (&ascii)[N]) {
    writeEncodedLine(file_, std::string_view(ascii, N - 1));
  }
  void write(TextView whole) { writeLine(file_, whole); }

  // Writes "<!-- " text " -->".
  void comment(TextView text) {
    *this << "<!-- " << text << " -->";
    end();
  }

 private:
  // Where the next bytes go, with room for at least extra of them.
  char* room(size_t extra) {
    if (line_.size() - used_ < extra) line_.resize(2 * (used_ + extra));
    return line_.data() + used_;
  }

  FileHandle file_;
  std::string line_;  // bytes 0 to used_ - 1 are the line so far
  size_t used_ = 0;
};

#endif  // FLOWSVG_RENDER_SVG_LINE_H_
