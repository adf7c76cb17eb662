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
  explicit SvgLine(FileHandle file) : file_(file) { line_.reserve(256); }

  // An ASCII literal; its length is known when the program is built.
  template <size_t N>
  SvgLine& operator<<(const char (&ascii)[N]) {
    line_.append(ascii, N - 1);
    return *this;
  }
  SvgLine& operator<<(std::string_view ascii) {
    line_ += ascii;
    return *this;
  }
  SvgLine& operator<<(TextView text) {
    appendUtf8(line_, text);
    return *this;
  }
  SvgLine& operator<<(int32_t number);
  SvgLine& operator<<(Escaped description) {
    appendEscapedUtf8(line_, description.text);
    return *this;
  }

  // Writes the line built so far and starts the next one.
  void end() {
    writeEncodedLine(file_, line_);
    line_.clear();
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
  FileHandle file_;
  std::string line_;
};

inline SvgLine& SvgLine::operator<<(int32_t number) {
  char digits[12];
  char* first = digits + sizeof digits;
  uint32_t magnitude = static_cast<uint32_t>(number);
  if (number < 0) magnitude = ~magnitude + 1;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) *--first = '-';
  line_.append(first, static_cast<size_t>(digits + sizeof digits - first));
  return *this;
}

#endif  // FLOWSVG_RENDER_SVG_LINE_H_
