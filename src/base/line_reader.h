// Cuts the bytes of a description file, held in memory, into lines and
// decodes them into texts.
//
// A line is the bytes up to LF, CR LF, a lone CR or a 0x00 byte, decoded
// from UTF-8. Lead bytes C0..F7 take their 1..3 following bytes, but never a
// LF, CR or 0x00: the unit stops before such a byte (its incomplete
// sequence decodes as U+FFFD) and the byte ends the line. Bytes 80..BF and
// F8..FF read as "?". A unit cut short by the end of the bytes is left out.
//
// Pure: it reads nothing but the bytes it is given, which must outlive it.
// Running out of memory throws std::bad_alloc, which the caller turns into
// its outcome.
#ifndef FLOWSVG_BASE_LINE_READER_H_
#define FLOWSVG_BASE_LINE_READER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "base/strings.h"

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Reads a byte-order mark at the start of the bytes; called before any
  // line is read. A UTF-8 mark (EF BB BF) is skipped. A UTF-16 mark (FF FE
  // little-endian, FE FF big-endian) is skipped and the rest is decoded
  // from UTF-16 into UTF-8, so that its lines read exactly as the same text
  // saved as UTF-8 would (a unit without its pair, or a last odd byte,
  // reads as bytes that are not UTF-8). Any other start is left as it is.
  void takeByteOrderMark();

  // Whether every line has been read.
  bool atEnd() const { return next_ >= bytes_.size(); }

  // The next line, into line (reusing its storage); the empty text at the
  // end.
  void readLineInto(Text& line);

  // Whether the line last read ended at a 0x00 byte rather than at a line
  // break (LF, CR LF, a lone CR) or the end of the bytes. Such a byte ends
  // the line's text, but an editor shows what follows it on the same line.
  bool lastLineEndedAtNul() const { return lineEndedAtNul_; }

  // Whether the bytes of the line last read were UTF-8 as they stood: false
  // when a byte of it was read as "?" or U+FFFD, or left out at the end,
  // because it was not.
  bool lastLineWasUtf8() const;

 private:
  // Collects the bytes of the next line into lineBytes_, without its line
  // break, which is consumed.
  void collectLine();

  std::string_view bytes_;  // what is read: the given bytes, or decoded_
  size_t next_ = 0;         // the first byte not read yet
  std::string decoded_;     // the UTF-8 form of a UTF-16 file
  std::string lineBytes_;   // the current line's bytes, reused
  bool linePlain_ = true;   // the last line was plain ASCII (fast path)
  bool lineReplaced_ = false;    // ... or had bytes put as "?" or left out
  bool lineEndedAtNul_ = false;  // the last line ended at a 0x00 byte
};

#endif  // FLOWSVG_BASE_LINE_READER_H_
