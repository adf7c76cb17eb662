// The library's one conversion (include/flowsvg/flowsvg.h): the parser and
// the SVG writer over memory, with a chart of its own for each call.
#include "flowsvg/flowsvg.h"

#include <exception>
#include <memory>
#include <new>

#include "base/calendar.h"
#include "base/utf8.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "model/sample.h"
#include "render/svg_document.h"

namespace flowsvg {
namespace {

// Keeps the first MostWarnings warnings as UTF-8 and counts the others.
class KeptWarnings : public DiagnosticsSink {
 public:
  explicit KeptWarnings(Result& result) : result_(result) {}
  void warning(int32_t line, TextView text) override {
    if (result_.warnings.size() < static_cast<size_t>(MostWarnings)) {
      result_.warnings.push_back({line, encodeUtf8(text)});
    } else {
      ++result_.moreWarnings;
    }
  }

 private:
  Result& result_;
};

// The digits at text[at..at+count) as a number; -1 when one is no digit.
int digitsAt(std::string_view text, size_t at, size_t count) {
  int value = 0;
  for (size_t k = at; k < at + count; ++k) {
    if (text[k] < '0' || text[k] > '9') return -1;
    value = value * 10 + (text[k] - '0');
  }
  return value;
}

bool leapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The time "YYYY-MM-DD HH:MM:SS" stands for, or -1 when it is not exactly
// such a date and time that the drawing can show.
Timestamp timestampOf(std::string_view text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
      text[10] != ' ' || text[13] != ':' || text[16] != ':') {
    return -1;
  }
  const int year = digitsAt(text, 0, 4);
  const int month = digitsAt(text, 5, 2);
  const int day = digitsAt(text, 8, 2);
  const int hour = digitsAt(text, 11, 2);
  const int minute = digitsAt(text, 14, 2);
  const int second = digitsAt(text, 17, 2);
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1601 || month < 1 || month > 12 || day < 1 || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return -1;
  }
  const int days = kDays[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
  if (day > days) return -1;
  return timestampFromFields(year, month, day, hour, minute, second);
}

// A result that says why there is no drawing. The texts fit a string's own
// storage, so making them takes no memory.
Result failed(const char* error, bool outOfMemory) {
  Result result;
  result.error = error;
  result.outOfMemory = outOfMemory;
  return result;
}

}  // namespace

Result convert(std::string_view description, const Options& options) {
  try {
    Timestamp time = -1;
    if (options.timestamp.empty()) {
      time = currentTime();
    } else {
      time = timestampOf(options.timestamp);
      if (time < 0) return failed("bad timestamp", false);
    }
    Result result;
    auto chart = std::make_unique<Flowchart>();
    KeptWarnings warnings(result);
    if (parseDescription(*chart, description, &warnings).memoryRanOut()) {
      throw std::bad_alloc();
    }
    writeSvg(*chart, result.svg, time);
    result.sections = chart->sectioncount;
    result.items = chart->itemcount;
    return result;
  } catch (const std::bad_alloc&) {
    return failed("out of memory", true);
  } catch (...) {
    return failed("internal error", false);
  }
}

std::string sampleDescription() {
  try {
    return sampleDescriptionBytes();
  } catch (...) {
    return std::string();
  }
}

}  // namespace flowsvg
