// A growing buffer of CR LF lines in UTF-8: where the SVG writer puts a
// drawing, which the caller then hands on whole (to a file, to a browser).
//
// A writer of many lines builds each line straight in the buffer, saving a
// copy per line:
//
//   LineRoom room = buffer.lineRoom(0, 0);   // where the line starts
//   ... put bytes at room.start, asking lineRoom(used, more) again
//   ... (with the bytes used so far) whenever more may not fit in room.size
//   buffer.endLineInPlace(used);             // the line and CR LF are in
//
// A call may move the line built so far; the bytes at the new start are the
// same. The "line" may be several, each but the last already ended with
// CR LF; and with keep, the keep bytes that follow the line's CR LF are the
// start of the next line, which stays where the next lineRoom call puts it.
// Running out of memory throws std::bad_alloc; the buffer stays usable.
//
// Given a sink, the buffer hands its complete lines to the sink whenever its
// room (64 KiB) runs out, and at flush(): a drawing on its way to a file
// then takes one small buffer, used again and again, however large it is.
// Without one, the buffer holds the whole drawing.
#ifndef FLOWSVG_BASE_LINE_BUFFER_H_
#define FLOWSVG_BASE_LINE_BUFFER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "base/strings.h"

struct LineRoom {
  char* start;  // the line's first byte
  size_t size;  // bytes that fit from start, CR LF not counted
};

// Where a LineBuffer hands its lines on (the program's file, say).
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void take(std::string_view bytes) = 0;
};

class LineBuffer {
 public:
  explicit LineBuffer(LineSink* sink = nullptr) : sink_(sink) {}

  LineRoom lineRoom(size_t used, size_t more);
  void endLineInPlace(size_t used, size_t keep = 0);

  // Appends the UTF-8 encoding of text followed by CR LF.
  void writeLine(TextView text);
  // Appends bytes that are already UTF-8 followed by CR LF.
  void writeEncodedLine(std::string_view utf8);

  // Hands the lines written so far to the sink (without one: nothing).
  void flush();

  // The lines written and not handed on.
  std::string_view bytes() const { return {bytes_.data(), size_}; }
  // Hands the lines over and empties the buffer.
  std::string take();

 private:
  LineSink* sink_;
  std::string bytes_;  // size_ bytes of lines, then room
  size_t size_ = 0;
};

#endif  // FLOWSVG_BASE_LINE_BUFFER_H_
