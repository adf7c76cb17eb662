#include "base/strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

// Shows a text readably in failure messages.
std::string show(const Text& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[12];
      snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return "\"" + out + "\"";
}

struct TextCase {
  const char* what;
  std::function<Text()> run;
  Text expected;
};

TEST(StringsTest, TextOperations) {
  const std::vector<TextCase> cases = {
      {"trim both ends", [] { return trimSpaces(u"  a b  "); }, u"a b"},
      {"trim spaces only", [] { return trimSpaces(u"    "); }, u""},
      {"trim keeps tab", [] { return trimSpaces(u"\ta "); }, u"\ta"},
      {"trim keeps BOM", [] { return trimSpaces(u"\uFEFF x"); }, u"\uFEFF x"},
      {"trim keeps nbsp", [] { return trimSpaces(u"\u00A0x\u3000"); },
       u"\u00A0x\u3000"},
      {"left 0", [] { return leftPart(u"abc", 0); }, u""},
      {"left -3", [] { return leftPart(u"abc", -3); }, u""},
      {"left beyond", [] { return leftPart(u"abc", 9); }, u"abc"},
      {"left 2", [] { return leftPart(u"abc", 2); }, u"ab"},
      {"right 2", [] { return rightPart(u"abc", 2); }, u"bc"},
      {"right beyond", [] { return rightPart(u"abc", 7); }, u"abc"},
      {"right -1", [] { return rightPart(u"abc", -1); }, u""},
      {"mid from 4", [] { return midPart(u"abc", 4); }, u""},
      {"mid from 3", [] { return midPart(u"abc", 3); }, u"c"},
      {"mid from -5", [] { return midPart(u"abc", -5); }, u"abc"},
      {"mid 0 count 3", [] { return midPart(u"abcdef", 0, 3); }, u"abc"},
      {"mid -1 count 2", [] { return midPart(u"abcdef", -1, 2); }, u"ab"},
      {"mid brackets", [] { return midPart(u"[x]", 2, 1); }, u"x"},
      {"mid count 0", [] { return midPart(u"[]", 2, 0); }, u""},
      {"mid count -1", [] { return midPart(u"abc", 2, -1); }, u""},
      {"mid count beyond", [] { return midPart(u"abc", 2, 50); }, u"bc"},
      {"field space stays", [] { return fieldAt(u"1, 2,3", 2, u","); }, u" 2"},
      {"field empty middle", [] { return fieldAt(u"a,,b", 2, u","); }, u""},
      {"field trailing", [] { return fieldAt(u"a,b,", 3, u","); }, u""},
      {"field past end", [] { return fieldAt(u"a,b", 3, u","); }, u""},
      {"field last", [] { return fieldAt(u"a,b", 2, u","); }, u"b"},
      {"field index 0", [] { return fieldAt(u"a,b", 0, u","); }, u""},
      {"field long separator", [] { return fieldAt(u"a||b", 2, u"||"); }, u"b"},
      {"field empty separator", [] { return fieldAt(u"abc", 1, u""); }, u"abc"},
      {"field empty separator 2", [] { return fieldAt(u"abc", 2, u""); }, u""},
      {"field overlapping separator", [] { return fieldAt(u"aaab", 2, u"aa"); },
       u"ab"},
      {"replace amp", [] { return replaceAll(u"a&b", u"&", u"&amp;"); },
       u"a&amp;b"},
      {"replace no rescan", [] { return replaceAll(u"aaaa", u"aa", u"a"); },
       u"aa"},
      {"replace empty search", [] { return replaceAll(u"x", u"", u"y"); },
       u"x"},
      {"replace backslash n", [] { return replaceAll(u"a\\nb", u"\\n", u"|"); },
       u"a|b"},
      {"replace delete", [] { return replaceAll(u"a-b-c", u"-", u""); },
       u"abc"},
      {"replace empty text", [] { return replaceAll(u"", u"a", u"b"); }, u""},
      {"lower ascii", [] { return lowerCase(u"SVG"); }, u"svg"},
      {"lower umlaut", [] { return lowerCase(u"\u00C4"); }, u"\u00E4"},
      {"lower greek and cyrillic", [] { return lowerCase(u"\u03A3\u0416"); },
       u"\u03C3\u0436"},
      {"lower emoji", [] { return lowerCase(u"\U0001F600"); }, u"\U0001F600"},
      {"lower keeps others", [] { return lowerCase(u"a1-\u4E2D"); },
       u"a1-\u4E2D"},
      {"format 0", [] { return formatInteger(0); }, u"0"},
      {"format -5", [] { return formatInteger(-5); }, u"-5"},
      {"format 1234567", [] { return formatInteger(1234567); }, u"1234567"},
      {"format min", [] { return formatInteger(INT64_MIN); },
       u"-9223372036854775808"},
      {"format max", [] { return formatInteger(INT64_MAX); },
       u"9223372036854775807"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(show(c.run()), show(c.expected)) << c.what;
  }
}

TEST(StringsTest, FindAndCount) {
  struct Case {
    Text text, search;
    int32_t find, count;
  };
  const Case cases[] = {
      {u"a=b=c", u"=", 2, 2}, {u"abc", u"", 0, 0},     {u"ab", u"abc", 0, 0},
      {u"abc", u"A", 0, 0},   {u"a,b,,c", u",", 2, 3}, {u"aaaa", u"aa", 1, 2},
      {u"aaa", u"aa", 1, 1},  {u"", u",", 0, 0},       {u"xyz", u"z", 3, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findText(c.text, c.search), c.find) << show(c.text);
    EXPECT_EQ(countText(c.text, c.search), c.count) << show(c.text);
  }
  EXPECT_EQ(textLength(u""), 0);
  EXPECT_EQ(textLength(u"\U0001F600x"), 3);  // a surrogate pair counts 2
}

TEST(StringsTest, FieldAtVisitsEveryFieldOnce) {
  const Text text = u",a,,bc,";
  Text joined;
  int32_t fields = countText(text, u",") + 1;
  for (int32_t k = 1; k <= fields; ++k) {
    if (k > 1) joined += u",";
    joined += fieldAt(text, k, u",");
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(fieldAt(text, fields + 1, u","), u"");
}

TEST(StringsTest, ParseInteger) {
  struct Case {
    Text text;
    int64_t value;
  };
  const Case cases[] = {
      {u"", 0},
      {u"abc", 0},
      {u"-", 0},
      {u"$", 0},
      {u"%", 0},
      {u"- 5", 0},
      {u"12abc", 12},
      {u"0x1F", 0},
      {u"$1F", 31},
      {u"$ff", 255},
      {u"%101", 5},
      {u"%102", 2},
      {u"  -42", -42},
      {u"\t+7", 7},
      {u"+-7", 0},
      {u"\u00A07", 0},                      // only SPACE and TAB are skipped
      {u"9223372036854775808", INT64_MIN},  // 2^63
      {u"18446744073709551617", 1},         // 2^64 + 1
      {u"-9223372036854775808", INT64_MIN},
      {u"-$10", -16},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseInteger(c.text), c.value) << show(c.text);
  }
  // Stored in a 32-bit model field, the low 32 bits remain.
  EXPECT_EQ(static_cast<int32_t>(parseInteger(u"4294967297")), 1);
  EXPECT_EQ(static_cast<int32_t>(parseInteger(u"2147483648")), INT32_MIN);
}

TEST(StringsTest, LowerCaseIgnoresProcessLocale) {
  // The mapping must not depend on LANG/LC_ALL: set a plain C locale.
  setlocale(LC_ALL, "C");
  EXPECT_EQ(lowerCase(u"\u00C4\u00D6\u00DCX"), u"\u00E4\u00F6\u00FCx");
  EXPECT_EQ(lowerCase(u"\u00C4"), u"\u00E4");
  EXPECT_EQ(lowerCase(u"\u0130").size(), 1u);  // length never changes
}

TEST(StringsTest, Equality) {
  EXPECT_NE(Text(u"Itemid"), Text(u"itemid"));
  EXPECT_NE(Text(u"a "), Text(u"a"));
  Text never_set;
  EXPECT_EQ(never_set, Text(u""));
}

}  // namespace
