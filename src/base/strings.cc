#include "base/strings.h"

#include <algorithm>

Text trimSpaces(TextView text) { return Text(trimSpacesView(text)); }

Text leftPart(TextView text, int32_t n) {
  if (n <= 0) return Text();
  return Text(text.substr(0, static_cast<size_t>(n)));
}

Text rightPart(TextView text, int32_t n) {
  if (n <= 0) return Text();
  size_t count = std::min(static_cast<size_t>(n), text.size());
  return Text(text.substr(text.size() - count));
}

Text midPart(TextView text, int32_t start) {
  int64_t s = start <= 0 ? 1 : start;
  if (s > static_cast<int64_t>(text.size())) return Text();
  return Text(text.substr(static_cast<size_t>(s - 1)));
}

Text midPart(TextView text, int32_t start, int32_t count) {
  int64_t s = start <= 0 ? 1 : start;
  if (s > static_cast<int64_t>(text.size()) || count <= 0) return Text();
  return Text(
      text.substr(static_cast<size_t>(s - 1), static_cast<size_t>(count)));
}

int32_t textLength(TextView text) { return static_cast<int32_t>(text.size()); }

int32_t findText(TextView text, TextView search) {
  if (text.empty() || search.empty()) return 0;
  size_t pos = text.find(search);
  return pos == TextView::npos ? 0 : static_cast<int32_t>(pos + 1);
}

int32_t countText(TextView text, TextView search) {
  if (text.empty() || search.empty()) return 0;
  int32_t count = 0;
  for (size_t pos = text.find(search); pos != TextView::npos;
       pos = text.find(search, pos + search.size())) {
    ++count;
  }
  return count;
}

Text fieldAt(TextView text, int32_t index, TextView separator) {
  if (index < 1 || text.empty()) return Text();
  if (separator.empty()) return index == 1 ? Text(text) : Text();
  size_t begin = 0;
  for (int32_t field = 1; field < index; ++field) {
    size_t next = text.find(separator, begin);
    if (next == TextView::npos) return Text();
    begin = next + separator.size();
  }
  size_t end = text.find(separator, begin);
  if (end == TextView::npos) end = text.size();
  return Text(text.substr(begin, end - begin));
}

Text replaceAll(TextView text, TextView search, TextView replacement) {
  if (search.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  size_t begin = 0;
  for (size_t pos = text.find(search); pos != TextView::npos;
       pos = text.find(search, begin)) {
    result.append(text.substr(begin, pos - begin));
    result.append(replacement);
    begin = pos + search.size();
  }
  result.append(text.substr(begin));
  return result;
}

int64_t parseInteger(TextView text) { return parseInteger(text, nullptr); }

int64_t parseInteger(TextView text, IntegerExtent* extent) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  uint64_t base = 10;
  if (pos < text.size() && text[pos] == u'$') {
    base = 16;
    ++pos;
  } else if (pos < text.size() && text[pos] == u'%') {
    base = 2;
    ++pos;
  }
  uint64_t value = 0;
  const size_t firstDigit = pos;
  for (; pos < text.size(); ++pos) {
    char16_t c = text[pos];
    uint64_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    if (digit >= base) break;
    value = value * base + digit;  // wraps modulo 2^64 by design
  }
  if (extent != nullptr) {
    extent->digits = pos - firstDigit;
    extent->end = pos;
  }
  if (negative) value = ~value + 1;
  return static_cast<int64_t>(value);
}

Text formatInteger(int64_t value) {
  // Digits are produced from the right into a small buffer. The unsigned
  // magnitude makes -2^63 need no special case.
  char16_t digits[20];
  char16_t* first = digits + 20;
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) magnitude = ~magnitude + 1;
  do {
    *--first = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  Text result;
  if (value < 0) result.push_back(u'-');
  result.append(first, static_cast<size_t>(digits + 20 - first));
  return result;
}
