// What the `flowsvg` command line asks for, and the names it derives.
#ifndef FLOWSVG_CLI_CLI_OPTIONS_H_
#define FLOWSVG_CLI_CLI_OPTIONS_H_

#include <cstdint>
#include <vector>

#include "text/strings.h"

enum class CliAction { Convert, WriteSample, ShowHelp, ShowVersion, Misuse };

struct CliOptions {
  CliAction action = CliAction::Misuse;
  bool quiet = false;  // -q: no success line
  Text input;          // Convert: description path, "-" for standard input
  Text output;         // Convert: SVG path, "-" for standard output
  Text samplePath;     // WriteSample: where the sample goes
  Text complaint;      // Misuse: one line telling what is wrong
};

// Reads the arguments (without the program name). "-q", "--sample PATH",
// "--help" and "--version" are options; "-" alone and every other argument
// not starting with "-" are files, as is everything after "--". --help or
// --version anywhere wins over everything else. Convert needs one or two
// files; without a second the output is defaultOutputPath of the input.
CliOptions parseCommandLine(const std::vector<Text>& args);

// Where the SVG of input goes when no output is named: input with its
// extension replaced by "svg", or ".svg" appended when it has none (also
// when that would name input itself, as for "chart.svg"). Standard output
// ("-") for input "-".
Text defaultOutputPath(TextView input);

// The help for --help, one text with LF line ends.
Text helpText();

// The one-line success report: the window's generated-file message with its
// line breaks turned into ", ".
Text successLine(TextView output, int32_t sections, int32_t items);

#endif  // FLOWSVG_CLI_CLI_OPTIONS_H_
