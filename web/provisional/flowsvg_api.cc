// flowsvg::convert and flowsvg::sampleDescription over the converter as it
// stands: the description is read from its bytes through an in-memory file,
// the warnings are collected as the command line collects them, and the SVG
// writer's output is kept in memory instead of going to a file.
#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "flowsvg/flowsvg.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "render/connectors.h"
#include "render/svg_document.h"
#include "text/clock.h"
#include "text/open_file.h"
#include "text/reporter.h"
#include "text/text_file.h"
#include "text/utf8.h"
#include "text/wording.h"

namespace flowsvg {
namespace {

class CollectingSink : public DiagnosticsSink {
 public:
  void warning(int32_t line, TextView text) override {
    warnings.push_back({line, encodeUtf8(text)});
  }
  std::vector<Warning> warnings;
};

// Reading from memory fails only when memory runs out.
class FailureReporter : public Reporter {
 public:
  void reportError(TextView, TextView, TextView) override { failed = true; }
  bool failed = false;
};

// Two digits at text[at], or -1.
int twoDigits(std::string_view text, size_t at) {
  const char a = text[at];
  const char b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

// "YYYY-MM-DD HH:MM:SS" as a time on the local wall clock; the present
// local time for anything else.
Timestamp timeOf(std::string_view text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
      text[10] != ' ' || text[13] != ':' || text[16] != ':') {
    return currentTime();
  }
  const int century = twoDigits(text, 0);
  const int year = twoDigits(text, 2);
  const int fields[] = {twoDigits(text, 5), twoDigits(text, 8),
                        twoDigits(text, 11), twoDigits(text, 14),
                        twoDigits(text, 17)};
  if (century < 0 || year < 0 ||
      std::any_of(std::begin(fields), std::end(fields),
                  [](int f) { return f < 0; })) {
    return currentTime();
  }
  return timestampFromFields(century * 100 + year, fields[0], fields[1],
                             fields[2], fields[3], fields[4]);
}

// Writes the laid-out drawing into a string: a write-side file that only
// collects (as a file written in place does until it is finished).
std::string drawing(Flowchart& chart, Timestamp generated) {
  std::unique_ptr<TextFile> file(adoptNative(-1, true, false));
  file->collecting = true;
  writeSvg(chart, file.get(), generated);
  flushOutput(*file);
  if (file->failed) throw std::bad_alloc();
  return std::move(file->collected);
}

}  // namespace

Result convert(std::string_view description, const Options& options) {
  // The connector colours, filled on the first conversion.
  static const bool paletteReady = (initPalette(), true);
  (void)paletteReady;
  auto chart = std::make_unique<Flowchart>();
  CollectingSink sink;
  FailureReporter reporter;
  readDescription(*chart, openBytes(std::string(description)), u"-", reporter,
                  &sink);
  if (reporter.failed) throw std::bad_alloc();
  Result result;
  result.svg = drawing(*chart, timeOf(options.timestamp));
  std::stable_sort(
      sink.warnings.begin(), sink.warnings.end(),
      [](const Warning& a, const Warning& b) { return a.line < b.line; });
  result.warnings = std::move(sink.warnings);
  result.sections = chart->sectioncount;
  result.items = chart->itemcount;
  return result;
}

std::string sampleDescription() {
  std::string bytes;
  for (TextView line : wording::SampleLines) {
    bytes += encodeUtf8(line);
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace flowsvg
