// Flowchart SVG Generator as a library: a flowchart description in, its SVG
// drawing and the warnings about its lines out, all in memory.
//
//   flowsvg::Result r = flowsvg::convert(bytes, {.timestamp = "2026-12-10 00:12:45"});
//   // r.svg: the same bytes `flowsvg` writes for that description and time;
//   // r.warnings: what `flowsvg --check` prints, line by line.
#ifndef FLOWSVG_FLOWSVG_H_
#define FLOWSVG_FLOWSVG_H_

#include <string>
#include <string_view>
#include <vector>

namespace flowsvg {

struct Options {
  // The 19 characters of the drawing's time line, "YYYY-MM-DD HH:MM:SS";
  // empty: the current local time.
  std::string timestamp;
};

struct Warning {
  int line;             // 1-based, line breaks counted as the reader sees them
  std::string message;  // UTF-8, exactly as the command line prints it after
                        // "FILE:LINE: warning: " (escapes included)
};

struct Result {
  std::string svg;  // the whole SVG document, UTF-8, CR LF line ends
  std::vector<Warning> warnings;  // in line order
  int sections;     // band sections read
  int items;        // boxes read
};

// Draws the description, given as the bytes of a description file. Never
// touches a file; the only outside thing it reads is the local time, and
// only when options.timestamp is empty. Memory running out throws
// std::bad_alloc.
Result convert(std::string_view description, const Options& options = {});

// The bytes that `flowsvg --sample` writes.
std::string sampleDescription();

}  // namespace flowsvg

#endif  // FLOWSVG_FLOWSVG_H_
