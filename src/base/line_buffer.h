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

class LineBuffer {
 public:
  LineRoom lineRoom(size_t used, size_t more);
  void endLineInPlace(size_t used, size_t keep = 0);

  // Appends the UTF-8 encoding of text followed by CR LF.
  void writeLine(TextView text);
  // Appends bytes that are already UTF-8 followed by CR LF.
  void writeEncodedLine(std::string_view utf8);

  // The lines written so far.
  std::string_view bytes() const { return {bytes_.data(), size_}; }
  // Hands the lines over and empties the buffer.
  std::string take();

 private:
  std::string bytes_;  // size_ bytes of lines, then room
  size_t size_ = 0;
};

#endif  // FLOWSVG_BASE_LINE_BUFFER_H_
