// Reads the lines of a description held in memory, as an editor shows
// them: the bytes are cut at LF, CR LF, a lone CR or a 0x00 byte and
// decoded from UTF-8 into Text.
//
// Lead bytes C0..F7 take their 1..3 following bytes, but never a LF, CR or
// 0x00: the unit stops before such a byte (its incomplete sequence decodes
// as U+FFFD) and the byte ends the line. Bytes 80..BF and F8..FF read as
// "?". A line of any length comes back whole.
//
// The reader keeps a view of the bytes it was given: they must outlive it.
// A description that begins with a UTF-16 byte-order mark is decoded into a
// UTF-8 copy of its own first (takeByteOrderMark).
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

  // Reads a byte-order mark at the start; called before anything else is
  // read. A UTF-8 mark (EF BB BF) is skipped. A UTF-16 mark (FF FE
  // little-endian, FE FF big-endian) is skipped and the rest is decoded from
  // UTF-16 into UTF-8, so that its lines read exactly as the same text saved
  // as UTF-8 would (a unit without its pair, or a last odd byte, reads as
  // bytes that are not UTF-8). Any other start is left as it is. May run
  // out of memory (std::bad_alloc), before anything is read.
  void takeByteOrderMark();

  // Whether every line has been read.
  bool atEnd() const { return next_ >= bytes_.size() || outOfMemory_; }

  // The next line, into line (reusing its storage). At the end, or once
  // memory ran out: the empty text.
  void readLineInto(Text& line);
  Text readLine();

  // Whether the line last read ended at a 0x00 byte rather than at a line
  // break or the end. Such a byte ends the line's text, but an editor shows
  // what follows it on the same line.
  bool lastLineEndedAtNul() const { return lineEndedAtNul_; }

  // Whether the bytes of the line last read were UTF-8 as they stood: false
  // when a byte of it was read as "?" or U+FFFD, or left out at the end,
  // because it was not.
  bool lastLineWasUtf8() const;

  // Whether a line was too long for the memory there is: the reading ended
  // there (atEnd), and what was read so far is all there is.
  bool outOfMemory() const { return outOfMemory_; }

 private:
  void collectLine();
  int takeByte();
  int peekByte() const;

  std::string_view bytes_;
  size_t next_ = 0;          // the first byte not read yet
  std::string decoded_;      // a UTF-16 description's UTF-8 form
  std::string lineBytes_;    // the current line's bytes, reused
  bool linePlain_ = true;    // the last line was plain ASCII (fast path)
  bool lineReplaced_ = false;  // ... or had bytes put as "?" or dropped
  bool lineEndedAtNul_ = false;
  bool outOfMemory_ = false;
};

// Length of the run of bytes at the start of bytes that a line takes as
// they are: 0x01 to 0x7F except LF and CR.
size_t plainLineRun(std::string_view bytes);

// The UTF-8 form of UTF-16 bytes in the given order (big: most significant
// byte first). A unit without its pair is written as the three bytes a
// surrogate would take, and an odd last byte as the byte FF, neither of
// them UTF-8.
std::string utf16ToUtf8(std::string_view bytes, bool big);

#endif  // FLOWSVG_BASE_LINE_READER_H_
