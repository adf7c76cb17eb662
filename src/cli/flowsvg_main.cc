// flowsvg: converts a flowchart description into an SVG drawing from the
// command line, or writes the sample description.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "model/sample_file.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "render/connectors.h"
#include "render/svg_document.h"
#include "text/clock.h"
#include "text/paths.h"
#include "text/reporter.h"
#include "text/text_file.h"
#include "text/utf8.h"
#include "text/wording.h"

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitInputUnreadable = 1;
constexpr int ExitOutputUnwritable = 2;
constexpr int ExitUsage = 64;  // EX_USAGE

void printLine(FILE* stream, TextView text) {
  std::string bytes = encodeUtf8(text);
  bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

class StandardErrorReporter : public Reporter {
 public:
  void reportError(const Text& message) override { printLine(stderr, message); }
};

// The description, read once per run.
Flowchart chart;

// Reads the description; false (after reporting) when it cannot be opened.
bool readInput(const Text& input, Reporter& reporter) {
  if (input != u"-") return parseDescription(chart, input, reporter) == 1;
  FileHandle file = openStandardInput();
  if (file == nullptr) {
    reporter.reportError(Text(wording::OpenFailureCaption) + input);
    clearFlowchart(chart);
    return false;
  }
  readDescription(chart, file);
  return true;
}

// Writes the drawing; false (after reporting) when it cannot be written.
bool writeOutput(const Text& output, Reporter& reporter) {
  if (output != u"-") return generateSvg(chart, output, reporter) == 1;
  FileHandle file = attachStandardOutput();
  int32_t written = 0;
  if (file != nullptr) {
    writeSvg(chart, file, currentTime());
    written = finishWriting(file);
  }
  if (written == 0) {
    reporter.reportError(Text(wording::CreateFailureCaption) + output);
  }
  return written == 1;
}

int convert(const CliOptions& options, Reporter& reporter) {
  if (!readInput(options.input, reporter)) return ExitInputUnreadable;
  if (!writeOutput(options.output, reporter)) return ExitOutputUnwritable;
  if (!options.quiet) {
    printLine(stderr,
              successLine(options.output, chart.sectioncount, chart.itemcount));
  }
  return ExitWritten;
}

int writeSample(const Text& path, Reporter& reporter) {
  if (path != u"-") {
    return writeSampleFile(path, reporter) == 1 ? ExitWritten
                                                : ExitOutputUnwritable;
  }
  FileHandle file = attachStandardOutput();
  int32_t written = 0;
  if (file != nullptr) {
    writeSampleLines(file);
    written = finishWriting(file);
  }
  if (written == 0) {
    reporter.reportError(Text(wording::CreateFailureCaption) + path);
    return ExitOutputUnwritable;
  }
  return ExitWritten;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(textFromNativePath(argv[i]));
  CliOptions options = parseCommandLine(args);
  StandardErrorReporter reporter;
  switch (options.action) {
    case CliAction::ShowHelp: {
      std::string help = encodeUtf8(helpText());
      std::fwrite(help.data(), 1, help.size(), stdout);
      return std::fflush(stdout) == 0 ? ExitWritten : ExitOutputUnwritable;
    }
    case CliAction::ShowVersion:
      printLine(stdout, wording::Version);
      return ExitWritten;
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
