// Flowchart SVG Generator as a library: a flowchart description (the bytes
// of a description file) in, one SVG drawing out, with the warnings about
// the description, exactly as the flowsvg command line draws and prints
// them.
//
//   #include <flowsvg/flowsvg.h>
//
//   flowsvg::Result result = flowsvg::convert(bytes, {"2026-12-10 09:30:00"});
//   if (!result.error.empty()) ...;           // a malformed timestamp, say
//   for (const flowsvg::Warning& w : result.warnings) ...;  // w.line, w.message
//   ... write result.svg ...
//
// convert never throws and never ends the program; it touches no file,
// keeps nothing between calls and may be called from many threads at once.
// The only thing it reads from outside memory is the current local time,
// through the C library (localtime_r, localtime_s on Windows), and only when
// Options::timestamp is empty. Link flowsvg::core (CMake:
// find_package(flowsvg CONFIG)) or `pkg-config --libs flowsvg`.
#ifndef FLOWSVG_FLOWSVG_H_
#define FLOWSVG_FLOWSVG_H_

#include <string>
#include <string_view>
#include <vector>

namespace flowsvg {

// How to convert. A plain struct: later versions add fields with defaults
// that keep today's drawing.
struct Options {
  // The drawing's time line, "YYYY-MM-DD HH:MM:SS" (19 characters, a date
  // of the years 1601 to 9999); empty: the current local time.
  std::string timestamp;
};

// A warning about a line of the description.
struct Warning {
  int line;  // 1-based, as an editor counts lines
  // Exactly as the command line prints it after "FILE:LINE: warning: "
  // (UTF-8; texts of the description escaped as there).
  std::string message;
};

struct Result {
  std::string svg;                // the whole SVG document, UTF-8, CR LF lines
  std::vector<Warning> warnings;  // in the order the command line prints them
  int sections = 0;               // section bands drawn
  int items = 0;                  // items read
  // Warnings beyond the first MostWarnings, counted but not kept (the
  // command line prints "N more warnings are not shown" for them).
  int moreWarnings = 0;
  // Empty on success. Otherwise why there is no drawing (svg and warnings
  // are then empty): a malformed timestamp, or memory running out (then
  // outOfMemory is true as well).
  std::string error;
  bool outOfMemory = false;
};

// At most this many warnings are kept in Result::warnings.
inline constexpr int MostWarnings = 1000;

// Converts a description, given as the bytes of its file (UTF-8, or UTF-16
// with its byte-order mark), into its drawing.
Result convert(std::string_view description, const Options& options = {});

// The bytes that `flowsvg --sample` writes: a description to start from.
std::string sampleDescription();

}  // namespace flowsvg

#endif  // FLOWSVG_FLOWSVG_H_
