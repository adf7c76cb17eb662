// Fuzz target: the string operations and UTF-8 conversion against the plain
// reference definitions in reference_strings.h.
//
// The input is cut into a few short texts (mostly drawn from a small
// alphabet of separators, signs, digits and letters so that searches hit),
// a few integers for positions, counts and indices, and a rest that is
// taken as raw bytes for the UTF-8 checks. Any difference aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "reference_strings.h"
#include "base/strings.h"
#include "base/utf8.h"

namespace {

// Code units that make occurrences, fields, numbers and trimming likely.
constexpr char16_t kAlphabet[] = u"ab,=| \t-+$%0179AFfx\\n[]#;.";

Text takeText(FuzzedDataProvider& input, size_t maxLength) {
  size_t length = input.ConsumeIntegralInRange<size_t>(0, maxLength);
  Text text;
  for (size_t k = 0; k < length && input.remaining_bytes() > 0; ++k) {
    uint8_t pick = input.ConsumeIntegral<uint8_t>();
    if (pick < 0xE0) {
      text.push_back(kAlphabet[pick % (sizeof kAlphabet / 2 - 1)]);
    } else {
      text.push_back(input.ConsumeIntegral<uint16_t>());  // any code unit
    }
  }
  return text;
}

// Mostly small values around the edges, sometimes anything.
int32_t takeNumber(FuzzedDataProvider& input) {
  return input.ConsumeBool() ? input.ConsumeIntegral<int32_t>()
                             : input.ConsumeIntegralInRange<int32_t>(-3, 24);
}

std::string show3(const Text& a, const Text& b, const Text& c) {
  return "text " + showText(a) + " / " + showText(b) + " / " + showText(c);
}

void checkEqual(const Text& got, const Text& want, const char* what,
                const std::string& context) {
  FUZZ_CHECK(
      got == want, what,
      context + "\n got  " + showText(got) + "\n want " + showText(want));
}

void checkCutting(const Text& text, int32_t n, int32_t start, int32_t count) {
  std::string context = showText(text) + " n " + std::to_string(n) + " start " +
                        std::to_string(start) + " count " +
                        std::to_string(count);
  checkEqual(trimSpaces(text), reference::trimSpaces(text), "trimSpaces",
             context);
  checkEqual(leftPart(text, n), reference::leftPart(text, n), "leftPart",
             context);
  checkEqual(rightPart(text, n), reference::rightPart(text, n), "rightPart",
             context);
  checkEqual(midPart(text, start), reference::midPart(text, start),
             "midPart(start)", context);
  checkEqual(midPart(text, start, count),
             reference::midPart(text, start, count), "midPart(start, count)",
             context);
  FUZZ_CHECK(textLength(text) == static_cast<int32_t>(text.size()),
             "textLength", context);
}

void checkSearching(const Text& text, const Text& search,
                    const Text& replacement, int32_t index) {
  std::string context = show3(text, search, replacement);
  FUZZ_CHECK(findText(text, search) == reference::findText(text, search),
             "findText", context);
  int32_t count = countText(text, search);
  FUZZ_CHECK(count == reference::countText(text, search), "countText", context);
  checkEqual(replaceAll(text, search, replacement),
             reference::replaceAll(text, search, replacement), "replaceAll",
             context);
  checkEqual(fieldAt(text, index, search),
             reference::fieldAt(text, index, search), "fieldAt",
             context + " index " + std::to_string(index));
  // Fields 1 .. count + 1 are every field once: joined with the separator
  // they give the text back.
  if (!search.empty() && !text.empty()) {
    Text joined = fieldAt(text, 1, search);
    for (int32_t k = 2; k <= count + 1; ++k)
      joined += search + fieldAt(text, k, search);
    checkEqual(joined, text, "fieldAt 1..countText+1 rejoined", context);
    checkEqual(fieldAt(text, count + 2, search), Text(),
               "fieldAt past the last field", context);
  }
}

void checkNumbers(const Text& text, int64_t value) {
  FUZZ_CHECK(parseInteger(text) == reference::parseInteger(text),
             "parseInteger", showText(text));
  std::string digits = std::to_string(value);
  checkEqual(formatInteger(value), Text(digits.begin(), digits.end()),
             "formatInteger", digits);
  FUZZ_CHECK(parseInteger(formatInteger(value)) == value,
             "parseInteger(formatInteger(v)) == v", digits);
}

// lowerCase maps each code unit on its own and keeps the length; ASCII
// letters and surrogate halves behave as documented.
void checkLowerCase(const Text& text) {
  Text lower = lowerCase(text);
  FUZZ_CHECK(lower.size() == text.size(), "lowerCase keeps the length",
             showText(text));
  for (size_t k = 0; k < text.size(); ++k) {
    char16_t unit = text[k];
    checkEqual(lowerCase(Text(1, unit)), Text(1, lower[k]),
               "lowerCase one unit at a time", showText(text));
    if (unit < 0x80 || (unit >= 0xD800 && unit <= 0xDFFF)) {
      char16_t want = unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
      FUZZ_CHECK(lower[k] == want, "lowerCase of ASCII or a surrogate",
                 showText(text));
    }
  }
}

void checkUtf8(const std::string& bytes, const Text& text) {
  std::string hex;
  for (unsigned char byte : bytes) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X ", byte);
    hex += buf;
  }
  Text decoded = decodeUtf8(bytes);
  checkEqual(decoded, reference::decodeUtf8(bytes), "decodeUtf8", hex);
  // What decoding gives always encodes to well-formed UTF-8 and decodes back
  // to itself; well-formed input without 0x00 survives the round trip whole.
  std::string encoded = encodeUtf8(decoded);
  FUZZ_CHECK(reference::isWellFormedUtf8(encoded), "encodeUtf8 well-formed",
             hex);
  checkEqual(decodeUtf8(encoded), decoded, "decode(encode(decode(b)))", hex);
  if (reference::isWellFormedUtf8(bytes) &&
      bytes.find('\0') == std::string::npos) {
    FUZZ_CHECK(encoded == bytes, "encode(decode(b)) == b for UTF-8", hex);
  }
  // Any text encodes to well-formed UTF-8 (an unpaired surrogate as U+FFFD)
  // and decodes back, up to its first U+0000.
  std::string textBytes = encodeUtf8(text);
  FUZZ_CHECK(reference::isWellFormedUtf8(textBytes),
             "encodeUtf8 of any text well-formed", showText(text));
  std::string appended = "x";
  appendUtf8(appended, text);
  FUZZ_CHECK(appended == "x" + textBytes, "appendUtf8 appends encodeUtf8",
             showText(text));
  Text expected = reference::pairedSurrogatesOnly(text);
  expected = expected.substr(0, expected.find(u'\0'));
  checkEqual(decodeUtf8(textBytes), expected, "decode(encode(t))",
             showText(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Text text = takeText(input, 48);
  Text search = takeText(input, 3);
  Text replacement = takeText(input, 4);
  int32_t n = takeNumber(input);
  int32_t start = takeNumber(input);
  int32_t count = takeNumber(input);
  int32_t index = takeNumber(input);
  int64_t value = input.ConsumeIntegral<int64_t>();
  std::string bytes = input.ConsumeRemainingBytesAsString();

  checkCutting(text, n, start, count);
  checkSearching(text, search, replacement, index);
  checkSearching(text, trimSpaces(text), search, index);
  checkNumbers(text, value);
  checkLowerCase(text);
  checkUtf8(bytes, text);
  return 0;
}
