#include "base/clock.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Fields {
  int64_t year, month, day, hour, minute, second;
};

Fields civilFromTimestamp(Timestamp t) {
  int64_t days = t / 86400;
  int64_t rest = t % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);
  return {year, month, day, rest / 3600, rest / 60 % 60, rest % 60};
}

// The calendar range the date stamp supports: four-digit years from the
// start of the Gregorian file-time era.
constexpr int64_t kFirstYear = 1601;
constexpr int64_t kLastYear = 9999;

void appendDigits(Text& out, int64_t value, int width) {
  Text digits = formatInteger(value);
  for (int pad = width - static_cast<int>(digits.size()); pad > 0; --pad) {
    out.push_back(u'0');
  }
  out += digits;
}

bool matchesIgnoringCase(TextView mask, size_t at, TextView token) {
  if (mask.size() - at < token.size()) return false;
  for (size_t k = 0; k < token.size(); ++k) {
    char16_t c = mask[at + k];
    if (c >= u'A' && c <= u'Z') c += u'a' - u'A';
    if (c != token[k]) return false;
  }
  return true;
}

}  // namespace

Timestamp timestampFromFields(int year, int month, int day, int hour,
                              int minute, int second) {
  return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
         second;
}

Text formatTimestamp(TextView mask, Timestamp time) {
  if (mask.empty() || time == -1) return Text();
  // Keep the arithmetic far from overflow before converting.
  constexpr Timestamp kLimit = int64_t{400000} * 366 * 86400;
  if (time < -kLimit || time > kLimit) return Text();
  const Fields f = civilFromTimestamp(time);
  if (f.year < kFirstYear || f.year > kLastYear) return Text();
  struct Token {
    TextView text;
    int64_t value;
    int width;
  };
  const Token tokens[] = {
      {u"%yyyy", f.year, 4}, {u"%yy", f.year % 100, 2}, {u"%mm", f.month, 2},
      {u"%dd", f.day, 2},    {u"%hh", f.hour, 2},       {u"%ii", f.minute, 2},
      {u"%ss", f.second, 2},
  };
  Text out;
  size_t i = 0;
  while (i < mask.size()) {
    const Token* found = nullptr;
    if (mask[i] == u'%') {
      for (const Token& token : tokens) {
        if (matchesIgnoringCase(mask, i, token.text)) {
          found = &token;
          break;
        }
      }
    }
    if (found == nullptr) {
      out.push_back(mask[i++]);
      continue;
    }
    appendDigits(out, found->value, found->width);
    i += found->text.size();
  }
  return out;
}
