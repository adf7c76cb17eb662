// Builds the lines of an SVG document as UTF-8 straight in the output's
// buffer (SvgOutput), so writing a large drawing allocates next to nothing
// and copies each byte once on its way to the sink.
//
//   StringSink sink(svg);
//   SvgOutput out(sink);
//   SvgLine line(out);
//   line << "<rect x=\"" << x << "\" />";
//   line.end();      // ends the line with CR LF
//   line.release();  // the lines join the output (also on destruction)
//   out.finish();    // the output hands the last bytes to the sink
//
// Fixed markup goes in as ASCII literals, numbers in decimal, texts of the
// program (captions, the timestamp) as UTF-16 texts, and text from the
// description through Escaped, which applies the XML escaping on the way.
// The bytes are those writeLine would write for the same text. Lines of
// several SvgLines on one output may follow each other, but an SvgLine
// holds its ended lines until it releases them: one that lives while
// another writer writes to the output must release() first.
#ifndef FLOWSVG_RENDER_SVG_LINE_H_
#define FLOWSVG_RENDER_SVG_LINE_H_

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "render/svg_document.h"
#include "base/strings.h"
#include "base/utf8.h"

// Where the bytes of a document go, in pieces of up to SvgOutput's buffer
// size (a line longer than that in one piece): a string (StringSink), or a
// file (the programs' platform layer).
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// Appends the document to a string.
class StringSink : public ByteSink {
 public:
  explicit StringSink(std::string& bytes) : bytes_(bytes) {}
  void write(std::string_view bytes) override { bytes_.append(bytes); }

 private:
  std::string& bytes_;
};

// The bytes of a document being written: lines are built in place in a
// buffer of BufferSize bytes, which goes to the sink whenever it is full,
// so a large drawing is written with one small buffer, each byte copied
// once on its way.
//
//   LineRoom room = out.room(0, 0);   // where the line starts
//   ... put bytes at room.start, asking out.room(used, more) again
//   ... (with the bytes used so far) whenever more may not fit in room.size
//   out.endLine(used);                // the line and CR LF are done
//   out.finish();                     // the last bytes go to the sink
//
// A call may hand waiting bytes on and move the line built so far; the
// bytes at the new start are the same. A line of any length fits (a long
// one is built beside the buffer). The "line" may be several, each but the
// last already ended with CR LF; and with keep, the keep bytes that follow
// the line's CR LF are the start of the next line, which stays where the
// next room call puts it. Memory running out throws std::bad_alloc; so may
// the sink.
struct LineRoom {
  char* start;  // the line's first byte
  size_t size;  // bytes that fit from start, CR LF not counted
};

class SvgOutput {
 public:
  static constexpr size_t BufferSize = 64 * 1024;

  explicit SvgOutput(ByteSink& sink)
      : sink_(sink), buffer_(std::make_unique_for_overwrite<char[]>(BufferSize)) {}
  SvgOutput(const SvgOutput&) = delete;
  SvgOutput& operator=(const SvgOutput&) = delete;

  LineRoom room(size_t used, size_t more) {
    const size_t need = used + more;
    if (buildingLong_) {
      if (longLine_.size() < need) longLine_.resize(2 * need);
      return {longLine_.data(), longLine_.size()};
    }
    constexpr size_t kRoom = BufferSize - 2;  // CR LF always fit after
    if (need <= kRoom - waiting_) {
      return {buffer_.get() + waiting_, kRoom - waiting_};
    }
    char* const built = buffer_.get() + waiting_;
    if (need > kRoom) {
      // Longer than the whole buffer: built beside it from here on.
      longLine_.assign(built, used);
      longLine_.resize(2 * need);
      buildingLong_ = true;
      return {longLine_.data(), longLine_.size()};
    }
    // Hand the waiting bytes on, then move the line to the buffer's start.
    const size_t before = waiting_;
    flush();
    std::memmove(buffer_.get(), buffer_.get() + before, used);
    return {buffer_.get(), kRoom};
  }

  void endLine(size_t used, size_t keep = 0) {
    if (buildingLong_) {
      buildingLong_ = false;
      longLine_[used] = '\r';
      longLine_[used + 1] = '\n';
      flush();
      sink_.write(std::string_view(longLine_.data(), used + 2));
      if (keep == 0) {
        std::string().swap(longLine_);
        return;
      }
      // The start of the next line stays beside the buffer.
      longLine_.erase(0, used + 2);
      buildingLong_ = true;
      return;
    }
    char* end = buffer_.get() + waiting_ + used;
    end[0] = '\r';
    end[1] = '\n';
    waiting_ += used + 2;
  }

  // Hands every line ended so far to the sink.
  void finish() { flush(); }

 private:
  void flush() {
    if (waiting_ > 0) sink_.write(std::string_view(buffer_.get(), waiting_));
    waiting_ = 0;
  }

  ByteSink& sink_;
  std::unique_ptr<char[]> buffer_;
  size_t waiting_ = 0;      // bytes of ended lines in buffer_
  std::string longLine_;    // a line too long for the buffer, built here
  bool buildingLong_ = false;
};

// Description text to be written escaped.
struct Escaped {
  TextView text;
};

class SvgLine {
 public:
  explicit SvgLine(SvgOutput& out) : out_(out) { begin(); }

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

  // Hands the lines ended so far to the output. Must come before anything
  // else writes to the output (another SvgLine) while this one
  // lives; its destructor does it too. Nothing may be built after the last
  // end().
  void release() {
    if (ended_ > 0) out_.endLine(ended_ - 2);
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
  // never 0. When the room runs out, the lines ended so far go to the output
  // first; the line being built then starts where the output's next bytes go,
  // which is where it already stands.
  char* room(size_t extra) {
    if (size_ - used_ < extra) [[unlikely]] {
      if (ended_ > 0) {
        out_.endLine(ended_ - 2, used_ - ended_);
        start_ += ended_;
        size_ -= ended_;
        used_ -= ended_;
        ended_ = 0;
      }
      const LineRoom room = out_.room(used_, extra);
      start_ = room.start;
      size_ = room.size;
    }
    return start_ + used_;
  }

  SvgOutput& out_;
  // Ended lines (each with its CR LF) and the line being built, in the
  // output.
  char* start_ = nullptr;  // the first byte
  size_t size_ = 0;        // bytes that fit from start_
  size_t used_ = 0;        // bytes so far
  size_t ended_ = 0;       // of which the ended lines
};

#endif  // FLOWSVG_RENDER_SVG_LINE_H_
