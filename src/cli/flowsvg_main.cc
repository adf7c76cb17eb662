// flowsvg: converts a flowchart description into an SVG drawing from the
// command line, or writes the sample description.
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "model/sample_file.h"
#include "render/connectors.h"
#include "render/svg_document.h"
#include "text/clock.h"
#include "text/paths.h"
#include "text/reporter.h"
#include "text/temporary_files.h"
#include "text/text_file.h"
#include "text/wording.h"

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitInputUnreadable = 1;
constexpr int ExitOutputUnwritable = 2;
constexpr int ExitUsage = 64;  // EX_USAGE

// Writes text and a line break; false when it did not reach the stream.
bool printLine(StandardStream stream, TextView text) {
  return writeToStream(stream, Text(text) + u"\n");
}

// One line on standard error: the caption, the name as shownPath shows it,
// and the reason in parentheses.
class StandardErrorReporter : public Reporter {
 public:
  void reportError(TextView caption, TextView path, TextView reason) override {
    Text line = Text(caption) + shownPath(path);
    if (!reason.empty()) {
      line += Text(wording::ReasonBefore) + Text(reason) +
              Text(wording::ReasonAfter);
    }
    printLine(StandardStream::Error, line);
  }
};

// The description, read once per run.
Flowchart chart;

// Reads the description; false (after reporting) when it cannot be opened
// or read.
bool readInput(const Text& input, Reporter& reporter) {
  if (input != u"-") return parseDescription(chart, input, reporter) == 1;
  Text reason;
  FileHandle file = openStandardInput(&reason);
  if (file == nullptr) {
    clearFlowchart(chart);
    reporter.reportError(wording::OpenFailureCaption, input, reason);
    return false;
  }
  return readDescription(chart, file, input, reporter) == 1;
}

// Whether writing output would overwrite the description it was drawn from
// (the same path, a link to it, or standard input redirected from it).
bool outputIsInput(const Text& input, const Text& output) {
  const FileIdentity in =
      input == u"-" ? identityOfStandardInput() : identityOf(input);
  const FileIdentity out =
      output == u"-" ? identityOfStandardOutput() : identityOf(output);
  return sameFile(in, out);
}

// Writes to standard output: the lines write gives, then the flush. False
// (after reporting caption, "-" and the reason) when they did not get there.
template <typename Write>
bool writeStandardOutput(TextView caption, Reporter& reporter, Write write) {
  FileHandle file = attachStandardOutput();
  write(file);
  Text reason;
  if (finishWriting(file, &reason) == 1) return true;
  reporter.reportError(caption, u"-", reason);
  return false;
}

// Writes the drawing; false (after reporting) when it cannot be written.
bool writeOutput(const Text& output, Reporter& reporter) {
  if (output != u"-") return generateSvg(chart, output, reporter) == 1;
  return writeStandardOutput(
      wording::CreateFailureCaption, reporter,
      [](FileHandle file) { writeSvg(chart, file, currentTime()); });
}

int convert(const CliOptions& options, Reporter& reporter) {
  if (!readInput(options.input, reporter)) return ExitInputUnreadable;
  if (outputIsInput(options.input, options.output)) {
    reporter.reportError(wording::CreateFailureCaption, options.output,
                         wording::ItIsTheInputReason);
    return ExitOutputUnwritable;
  }
  if (!writeOutput(options.output, reporter)) return ExitOutputUnwritable;
  if (!options.quiet) {
    printLine(StandardStream::Error,
              successLine(shownPath(options.output), chart.sectioncount,
                          chart.itemcount));
  }
  return ExitWritten;
}

int writeSample(const Text& path, Reporter& reporter) {
  const bool written =
      path != u"-" ? writeSampleFile(path, reporter) == 1
                   : writeStandardOutput(wording::SampleFailureCaption,
                                         reporter, writeSampleLines);
  return written ? ExitWritten : ExitOutputUnwritable;
}

// The whole program, given its arguments (without the program name).
int run(const std::vector<Text>& args) {
  CliOptions options = parseCommandLine(args);
  StandardErrorReporter reporter;
  switch (options.action) {
    case CliAction::ShowHelp:
      return writeToStream(StandardStream::Output, helpText())
                 ? ExitWritten
                 : ExitOutputUnwritable;
    case CliAction::ShowVersion:
      return printLine(StandardStream::Output, wording::Version)
                 ? ExitWritten
                 : ExitOutputUnwritable;
    case CliAction::WriteSample:
      return writeSample(options.samplePath, reporter);
    case CliAction::Convert:
      initPalette();
      return convert(options, reporter);
    case CliAction::Misuse:
      break;
  }
  printLine(StandardStream::Error, options.complaint);
  return ExitUsage;
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16, which a Text already is.
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  guardTemporaryFiles();
  prepareStandardStreams();
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
  return run(args);
}
