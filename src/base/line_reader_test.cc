#include "base/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

std::vector<Text> readAll(std::string_view bytes) {
  LineReader reader(bytes);
  std::vector<Text> lines;
  while (!reader.atEnd()) lines.push_back(reader.readLine());
  return lines;
}

TEST(ReadLineTest, ByteRules) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Text> lines;
  };
  const std::vector<Case> cases = {
      {"CR LF after each line", "a\r\nb\r\n", {u"a", u"b"}},
      {"LF, no final break", "a\nb", {u"a", u"b"}},
      {"lone CR", "a\rb", {u"a", u"b"}},
      {"CR CR LF", "a\r\r\nb", {u"a", u"", u"b"}},
      {"LF CR", "a\n\rb", {u"a", u"", u"b"}},
      {"last byte CR", "a\r", {u"a"}},
      {"empty file", "", {}},
      {"only a break", "\n", {u""}},
      {"byte-order mark kept", "\xEF\xBB\xBF[a]", {u"\uFEFF[a]"}},
      {"single-byte code page word before a break",
       "caf\xE9\r\nx",
       {u"caf\uFFFD", u"x"}},
      {"two-byte lead stops before CR", "a\xC3\r\nb", {u"a\uFFFD", u"b"}},
      {"four-byte lead stops before CR", "a\xF0\r\nbc", {u"a\uFFFD", u"bc"}},
      {"three-byte lead stops before LF after one continuation",
       "a\xE2\x82\nb",
       {u"a\uFFFD", u"b"}},
      {"a lead takes any other byte", "a\xC3zb\n", {u"a\uFFFDzb"}},
      {"continuation byte reads as ?",
       "a\x80"
       "b",
       {u"a?b"}},
      {"F8..FF read as ?", "\xF8\xFF", {u"??"}},
      {"NUL ends a line", std::string("ab\0cd\r\n", 7), {u"ab", u"cd"}},
      {"lead stops before NUL, which ends the line",
       std::string("a\xC3\0zz\nq", 7),
       {u"a\uFFFD", u"zz", u"q"}},
      {"unit cut by end of file dropped", "ab\xE2\x82", {u"ab"}},
      {"UTF-16 file reads a line per character",
       std::string("a\0b\0", 4),
       {u"a", u"b"}},
      {"well-formed UTF-8",
       "\xE4\xB8\xAD\xF0\x9F\x98\x80\n",
       {u"\u4E2D\U0001F600"}},
      {"written CR comes back as a break", "x = a\rb\r\n", {u"x = a", u"b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readAll(c.bytes), c.lines) << c.what;
  }
}

// Whether each line was UTF-8 as it stood in the file, whatever the reader
// made of it.
TEST(ReadLineTest, TellsLinesThatWereNotUtf8) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<bool> utf8;
  } cases[] = {
      {"plain ASCII", "a = b\r\n", {true}},
      {"well-formed UTF-8", "\xE4\xB8\xAD \xF0\x9F\x98\x80\n", {true}},
      {"byte-order mark", "\xEF\xBB\xBFx\n", {true}},
      {"single-byte code page word before a break",
       "caf\xE9\r\nx",
       {false, true}},
      {"continuation byte alone", "a\x80z\nb\n", {false, true}},
      {"overlong form", "\xC0\xAF\n", {false}},
      {"encoded surrogate", "\xED\xA0\x80\n", {false}},
      {"lead byte cut by the end of the file", "ok\nab\xE2\x82", {true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LineReader reader(c.bytes);
    std::vector<bool> got;
    while (!reader.atEnd()) {
      reader.readLine();
      got.push_back(reader.lastLineWasUtf8());
    }
    EXPECT_EQ(got, c.utf8);
  }
}

TEST(ReadLineTest, EndOfFile) {
  LineReader empty("");
  EXPECT_TRUE(empty.atEnd());
  EXPECT_EQ(empty.readLine(), u"");
  LineReader one("a\r\n");
  EXPECT_FALSE(one.atEnd());
  EXPECT_EQ(one.readLine(), u"a");
  EXPECT_TRUE(one.atEnd());
}

// A 0x00 byte ends the text of its line; the reader tells it from a break.
TEST(ReadLineTest, TellsLinesEndedAtNul) {
  const std::string bytes("a\0b\r\nc\0\0\n\xC3\xA9\0d", 13);
  LineReader reader(bytes);
  std::vector<std::pair<Text, bool>> got;
  while (!reader.atEnd()) {
    Text line = reader.readLine();
    got.emplace_back(line, reader.lastLineEndedAtNul());
  }
  const std::vector<std::pair<Text, bool>> want = {
      {u"a", true}, {u"b", false},     {u"c", true}, {u"", true},
      {u"", false}, {u"\u00E9", true}, {u"d", false}};
  EXPECT_EQ(got, want);
}

// UTF-16 bytes of text in the given order, a byte-order mark in front.
std::string utf16(TextView text, bool big) {
  std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

struct MarkCase {
  const char* what;
  std::string bytes;
  std::vector<Text> lines;
  std::vector<bool> utf8;  // lastLineWasUtf8 of each line
};

std::vector<MarkCase> markCases() {
  const Text text = Text(u"[a]\r\nb \U0001F600\rc\u00E9") + u'\0' + u"d\n";
  const std::vector<Text> lines = {u"[a]", u"b \U0001F600", u"c\u00E9", u"d"};
  return {
      {"no mark", "[a]\nb", {u"[a]", u"b"}, {true, true}},
      {"UTF-8 mark skipped",
       "\xEF\xBB\xBF[a]\nb",
       {u"[a]", u"b"},
       {true, true}},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", {}, {}},
      {"a start that is no mark", "\xEF\xBBx\n", {u"\uFFFDx"}, {false}},
      {"UTF-16 little-endian",
       utf16(text, false),
       lines,
       {true, true, true, true}},
      {"UTF-16 big-endian", utf16(text, true), lines, {true, true, true, true}},
      {"UTF-16 mark alone", "\xFF\xFE", {}, {}},
      {"UTF-16 with an odd last byte",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       {u"a?"},
       {false}},
      {"UTF-16 unit without its pair",
       std::string("\xFF\xFE"
                   "a\0\x01\xD8z\0\n\0\x02\xDC",
                   12),
       {u"a\uFFFD\uFFFD\uFFFDz", u"\uFFFD\uFFFD\uFFFD"},
       {false, false}},
  };
}

std::vector<std::pair<Text, bool>> readMarked(std::string_view bytes) {
  LineReader reader(bytes);
  std::vector<std::pair<Text, bool>> got;
  reader.takeByteOrderMark();
  while (!reader.atEnd()) {
    Text line = reader.readLine();
    got.emplace_back(line, reader.lastLineWasUtf8());
  }
  return got;
}

TEST(ReadLineTest, ByteOrderMarks) {
  for (const MarkCase& c : markCases()) {
    SCOPED_TRACE(c.what);
    std::vector<std::pair<Text, bool>> want;
    for (size_t k = 0; k < c.lines.size(); ++k) {
      want.emplace_back(c.lines[k], c.utf8[k]);
    }
    EXPECT_EQ(readMarked(c.bytes), want);
  }
}

// A line of every length comes back whole, whatever the fast path's blocks.
TEST(ReadLineTest, LongLinesAndTheirBreaks) {
  const std::string longLine(200000, 'x');
  const std::string bytes = longLine + "\r\n" + "\xC3\xA9" + longLine + "\r";
  const std::vector<Text> lines = readAll(bytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Text(longLine.size(), u'x'));
  Text second(1, u'\u00E9');
  second.append(longLine.size(), u'x');
  EXPECT_EQ(lines[1], second);
}


}  // namespace
