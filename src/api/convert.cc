// flowsvg::convert and flowsvg::sampleDescription: the parser, the warnings
// and the SVG writer, all in memory.
#include <time.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/line_buffer.h"
#include "base/utf8.h"
#include "flowsvg/flowsvg.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "model/parser.h"
#include "model/sample_description.h"
#include "render/svg_document.h"

namespace flowsvg {
namespace {

// Keeps the first MostWarningsListed warnings and counts the rest.
class ListingSink : public DiagnosticsSink {
 public:
  explicit ListingSink(Result& result) : result_(result) {}
  void warning(int32_t line, TextView text) override {
    if (result_.warnings.size() < static_cast<size_t>(MostWarningsListed)) {
      result_.warnings.push_back({line, encodeUtf8(text)});
    } else {
      ++result_.moreWarnings;
    }
  }

 private:
  Result& result_;
};

// Two digits at text[at], or -1.
int twoDigits(std::string_view text, size_t at) {
  const char a = text[at];
  const char b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "YYYY-MM-DD HH:MM:SS" of a real date and time from 1970 on as a time on
// the local wall clock; -1 for anything else.
Timestamp timeOf(std::string_view text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
      text[10] != ' ' || text[13] != ':' || text[16] != ':') {
    return -1;
  }
  const int century = twoDigits(text, 0);
  const int year2 = twoDigits(text, 2);
  const int month = twoDigits(text, 5);
  const int day = twoDigits(text, 8);
  const int hour = twoDigits(text, 11);
  const int minute = twoDigits(text, 14);
  const int second = twoDigits(text, 17);
  if (century < 0 || year2 < 0 || month < 1 || month > 12 || day < 1 ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59) {
    return -1;
  }
  const int year = century * 100 + year2;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days = kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
  if (day > days) return -1;
  return timestampFromFields(year, month, day, hour, minute, second);
}

// The local date and time now; -1 when it cannot be read.
Timestamp localTimeNow() {
  const time_t now = time(nullptr);
  struct tm local;
#ifdef _WIN32
  if (now == static_cast<time_t>(-1) || localtime_s(&local, &now) != 0) {
    return -1;
  }
#else
  if (now == static_cast<time_t>(-1) || localtime_r(&now, &local) == nullptr) {
    return -1;
  }
#endif
  return timestampFromFields(local.tm_year + 1900, local.tm_mon + 1,
                             local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

}  // namespace

Result convert(std::string_view description, const Options& options) {
  Result result;
  try {
    Timestamp generated = -1;
    if (options.timestamp.empty()) {
      generated = localTimeNow();
    } else {
      generated = timeOf(options.timestamp);
      if (generated < 0) {
        result.error = "the timestamp must be a date and time from "
                       "1970-01-01 00:00:00 on, written as YYYY-MM-DD HH:MM:SS";
        return result;
      }
    }
    auto chart = std::make_unique<Flowchart>();
    ListingSink sink(result);
    if (!readDescription(*chart, description, &sink).ok()) {
      throw std::bad_alloc();
    }
    std::stable_sort(
        result.warnings.begin(), result.warnings.end(),
        [](const Warning& a, const Warning& b) { return a.line < b.line; });
    LineBuffer drawing;
    writeSvg(*chart, drawing, generated, options.accessible);
    result.svg = drawing.take();
    result.sections = chart->sectioncount;
    result.items = chart->itemcount;
  } catch (const std::bad_alloc&) {
    Result failed;
    failed.error = "Cannot allocate memory";
    return failed;
  }
  return result;
}

std::string sampleDescription() {
  try {
    return ::sampleDescription();
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

}  // namespace flowsvg
