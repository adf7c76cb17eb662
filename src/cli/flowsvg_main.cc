// flowsvg: converts a flowchart description into an SVG drawing from the
// command line, or writes the sample description.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
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
#include "text/utf8.h"
#include "text/wording.h"

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitInputUnreadable = 1;
constexpr int ExitOutputUnwritable = 2;
constexpr int ExitUsage = 64;  // EX_USAGE

// Writes text and a line break; false when it did not reach the stream.
bool printLine(FILE* stream, TextView text) {
  std::string bytes = encodeUtf8(text);
  bytes += '\n';
  const size_t put = std::fwrite(bytes.data(), 1, bytes.size(), stream);
  return std::fflush(stream) == 0 && put == bytes.size();
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
    printLine(stderr, line);
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
    printLine(stderr, successLine(shownPath(options.output),
                                  chart.sectioncount, chart.itemcount));
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

}  // namespace

int main(int argc, char** argv) {
  guardTemporaryFiles();
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
  CliOptions options = parseCommandLine(args);
  StandardErrorReporter reporter;
  switch (options.action) {
    case CliAction::ShowHelp: {
      std::string help = encodeUtf8(helpText());
      const size_t put = std::fwrite(help.data(), 1, help.size(), stdout);
      return std::fflush(stdout) == 0 && put == help.size()
                 ? ExitWritten
                 : ExitOutputUnwritable;
    }
    case CliAction::ShowVersion:
      return printLine(stdout, wording::Version) ? ExitWritten
                                                  : ExitOutputUnwritable;
    case CliAction::WriteSample:
      return writeSample(options.samplePath, reporter);
    case CliAction::Convert:
      initPalette();
      return convert(options, reporter);
    case CliAction::Misuse:
      break;
  }
  printLine(stderr, options.complaint);
  return ExitUsage;
}
