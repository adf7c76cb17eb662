// What the `flowsvg` command line asks for, and the names it derives.
#ifndef FLOWSVG_CLI_CLI_OPTIONS_H_
#define FLOWSVG_CLI_CLI_OPTIONS_H_

#include <cstdint>
#include <vector>

#include "platform/wildcards.h"
#include "base/clock.h"
#include "base/strings.h"
#include "files/drawing_format.h"

enum class CliAction {
  Convert,      // one description to one SVG
  ConvertMany,  // -O or --out-dir: each description to its own SVG
  Check,        // --check: read and warn, write nothing
  Watch,        // --watch: convert, then again on every change
  Serve,        // --serve: as Watch for one file, and the preview server
  WriteSample,
  ShowHelp,
  ShowVersion,
  NoMatch,  // a FILE with wildcards matched no file (see unmatched)
  Misuse
};

struct CliOptions {
  CliAction action = CliAction::Misuse;
  bool quiet = false;  // -q: no success line, no warnings
  // The descriptions, and for all but Check their SVGs, in the order of
  // the arguments. Convert, and Watch without -O or --out-dir, have one of
  // each: the description ("-" for standard input) and its SVG ("-" for
  // standard output, defaultOutputPath when none is named). ConvertMany,
  // and Watch with -O or --out-dir, name each SVG with batchOutputPath.
  std::vector<Text> inputs;
  std::vector<Text> outputs;
  Text outDir;                  // --out-dir DIR, empty with -O
  int32_t jobs = 0;             // -j N; 0 for one per processor
  Text samplePath;              // WriteSample: where the sample goes
  uint16_t port = 0;            // Serve: --port N; 0 for a free port
  bool open = false;            // Serve: --open, the browser opened too
  Text complaint;               // Misuse: one line telling what is wrong
  std::vector<Text> unmatched;  // NoMatch: the patterns, in argument order
  // -T, --scale and --accessible. Without -T (formatGiven false) each
  // output's extension chooses its format (drawing_format.h).
  DrawingSettings drawing;
  bool formatGiven = false;
};

// Reads the arguments (without the program name). "-q", "-O", "--out-dir
// DIR", "-j N", "--check", "--watch", "--serve", "--port N", "--open",
// "--sample PATH", "--help" and "--version" are options; "-" alone and every other argument not starting
// with "-" are files, as is everything after "--". --help or --version
// anywhere wins over everything else. Convert needs one or two files;
// without a second the output is defaultOutputPath of the input. -O,
// --out-dir and --check take one or more files, and --watch takes what a
// conversion takes; --serve takes one INPUT and at most one OUTPUT and no
// other mode, and --port (1 to 65535) and --open go with it only; standard
// input and output are for Convert and Check only. On Windows "/?" asks for the help too.
//
// With wildcards (wildcards.h: the platform's lister where the shell leaves
// them to the program), every FILE that is a description (INPUT, each FILE
// of -O, --out-dir, --check and --watch; never OUTPUT) and holds "*" or "?"
// in its file part stands for the files it matches, before any output is
// named; a pattern that matches nothing makes the action NoMatch, and one
// that matches many files where one INPUT is taken is misuse.
CliOptions parseCommandLine(const std::vector<Text>& args,
                            const FileLister* wildcards = nullptr);

// Where the SVG of input goes when no output is named: input with its
// extension replaced by "svg", or ".svg" appended when it has none (also
// when that would name input itself, as for "chart.svg"). Standard output
// ("-") for input "-". With -T the format's extension stands for "svg".
Text defaultOutputPath(TextView input, TextView extension = u"svg");

// Where the SVG of input goes in a run of many: defaultOutputPath beside the
// input when outDir is empty, else that path's file name inside outDir.
Text batchOutputPath(TextView input, TextView outDir,
                     TextView extension = u"svg");

// SOURCE_DATE_EPOCH, the reproducible-builds convention for "the moment to
// write instead of now": a non-negative decimal count of seconds since
// 1970-01-01 00:00:00 UTC. value is the variable's bytes, or null when it
// is not set.
enum class SourceDate { Unset, Set, Invalid };
// Unset for null or an empty value; Set with the moment in *when (the
// timestamp whose date and time are that moment in UTC); Invalid for
// anything but decimal digits, and for a moment past the end of the year
// 9999, which no date stamp can show.
SourceDate readSourceDateEpoch(const char* value, Timestamp* when);

// The usage complaint for an invalid SOURCE_DATE_EPOCH value.
Text sourceDateComplaint(const char* value);

// The help for --help, one text with LF line ends; --watch is in it only
// where the watch is available (watch.h), --serve only where the preview
// is too (serveAvailable).
Text helpText();

// Whether --serve works in this build: the browser page is built in
// (preview_page.h) and the folder watch is available.
bool serveAvailable();

// The one-line success report: the window's generated-file message with its
// line breaks turned into ", ", naming the format written.
Text successLine(TextView output, int32_t sections, int32_t items,
                 DrawingFormat format = DrawingFormat::Svg);

#endif  // FLOWSVG_CLI_CLI_OPTIONS_H_
