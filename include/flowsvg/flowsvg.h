// Flowchart SVG Generator as a library: a flowchart description in, its SVG
// drawing and the warnings about its lines out, all in memory.
//
//   flowsvg::Result r = flowsvg::convert(bytes, {.timestamp = "2026-12-10 09:30:00"});
//   if (r.error.empty()) use(r.svg);  // the bytes `flowsvg` writes for that
//                                     // description at that time
//   for (const flowsvg::Warning& w : r.warnings) ...  // what `flowsvg --check`
//                                                     // prints, line by line
//
// convert never touches a file and keeps nothing between calls: it is safe
// to call from many threads at once. The only thing it reads from outside
// memory is the current local time (through the C library), and only when
// options.timestamp is empty. It throws nothing and never aborts: memory
// running out is told in Result::error.
//
// Link the static library flowsvg::core (CMake: find_package(flowsvg
// CONFIG), or pkg-config flowsvg); C++20.
#ifndef FLOWSVG_FLOWSVG_H_
#define FLOWSVG_FLOWSVG_H_

#include <string>
#include <string_view>
#include <vector>

namespace flowsvg {

struct Options {
  // The 19 characters of the drawing's time line, "YYYY-MM-DD HH:MM:SS", a
  // real date and time from 1970-01-01 00:00:00 on; empty: the current
  // local time.
  std::string timestamp;
  // Also say the drawing as text to a screen reader: role="img" and
  // aria-labelledby on the root, a <title> (the chart's title and subtitle)
  // and a <desc> reading each band with its steps and each arrow. Off, the
  // bytes are the plain drawing's.
  bool accessible = false;
};

struct Warning {
  int line;             // 1-based; LF, CR LF and a lone CR each end a line
  std::string message;  // UTF-8, exactly as the command line prints it after
                        // "FILE:LINE: warning: " (escapes included)
};

struct Result {
  std::string svg;  // the whole SVG document, UTF-8, CR LF line ends
  // In line order: the first MostWarningsListed the reader gave, as the
  // command line lists them; moreWarnings counts the rest.
  std::vector<Warning> warnings;
  int moreWarnings = 0;
  int sections = 0;  // band sections read
  int items = 0;     // boxes read
  // Empty when the drawing was made; otherwise why not (a malformed
  // timestamp, memory running out), and svg is empty.
  std::string error;
};

// How many warnings a Result lists at most, as the command line does.
inline constexpr int MostWarningsListed = 1000;

// Draws the description, given as the bytes of a description file (UTF-8,
// or UTF-16 with its byte-order mark, as the command line reads them).
Result convert(std::string_view description, const Options& options = {});

// The bytes that `flowsvg --sample` writes.
std::string sampleDescription();

}  // namespace flowsvg

#endif  // FLOWSVG_FLOWSVG_H_
