#include "platform/text_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "base/utf8.h"

namespace {

// A fresh folder for each test, removed with its files afterwards.
class TextFileTest : public testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.file(name); }
  Text textPath(const std::string& name) const { return dir_.text(name); }
  Text folderText() const { return textOfPath(dir_.path()); }
  void put(const std::string& name, const std::string& bytes) const {
    writeBytes(path(name), bytes);
  }
  std::string get(const std::string& name) const {
    return readBytes(path(name));
  }
  std::vector<std::string> entries() const {
    return folderEntries(dir_.path());
  }
  TempFolder dir_;
};

std::vector<Text> readAll(FileHandle file) {
  std::vector<Text> lines;
  while (!atEnd(file)) lines.push_back(readLine(file));
  closeFile(file);
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
    EXPECT_EQ(readAll(openBytes(c.bytes)), c.lines) << c.what;
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
    FileHandle file = openBytes(c.bytes);
    std::vector<bool> got;
    while (!atEnd(file)) {
      readLine(file);
      got.push_back(lastLineWasUtf8(file));
    }
    closeFile(file);
    EXPECT_EQ(got, c.utf8);
  }
}

TEST(ReadLineTest, EndOfFile) {
  FileHandle file = openBytes("");
  EXPECT_EQ(atEnd(file), 1);
  EXPECT_EQ(readLine(file), u"");
  closeFile(file);
  file = openBytes("a\r\n");
  EXPECT_EQ(atEnd(file), 0);
  EXPECT_EQ(readLine(file), u"a");
  EXPECT_EQ(atEnd(file), 1);
  closeFile(file);
}

// A 0x00 byte ends the text of its line; the reader tells it from a break.
TEST(ReadLineTest, TellsLinesEndedAtNul) {
  FileHandle file = openBytes(std::string("a\0b\r\nc\0\0\n\xC3\xA9\0d", 13));
  std::vector<std::pair<Text, bool>> got;
  while (!atEnd(file)) {
    Text line = readLine(file);
    got.emplace_back(line, lastLineEndedAtNul(file));
  }
  closeFile(file);
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

std::vector<std::pair<Text, bool>> readMarked(FileHandle file) {
  std::vector<std::pair<Text, bool>> got;
  takeByteOrderMark(file);
  while (!atEnd(file)) {
    Text line = readLine(file);
    got.emplace_back(line, lastLineWasUtf8(file));
  }
  closeFile(file);
  return got;
}

TEST_F(TextFileTest, ByteOrderMarks) {
  for (const MarkCase& c : markCases()) {
    SCOPED_TRACE(c.what);
    std::vector<std::pair<Text, bool>> want;
    for (size_t k = 0; k < c.lines.size(); ++k) {
      want.emplace_back(c.lines[k], c.utf8[k]);
    }
    EXPECT_EQ(readMarked(openBytes(c.bytes)), want);
    put("marked.txt", c.bytes);
    EXPECT_EQ(readMarked(openForReading(textPath("marked.txt"))), want);
  }
}

// A UTF-16 file longer than a read: a pair and a CR LF each split between
// two reads come out whole.
TEST_F(TextFileTest, Utf16AcrossChunkBoundaries) {
  const size_t units = ReadChunkSize / 2;   // per read, the mark counted
  Text text(units - 2, u'x');               // the pair's first unit ends
  text += u"\U0001F600";                    // ... the first read
  text += Text(units - 2, u'y') + u"\r\n";  // a CR LF across the second
  text += u"z";
  put("long.txt", utf16(text, false));
  FileHandle file = openForReading(textPath("long.txt"));
  takeByteOrderMark(file);
  const std::vector<Text> lines = readAll(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            Text(units - 2, u'x') + u"\U0001F600" + Text(units - 2, u'y'));
  EXPECT_EQ(lines[1], u"z");
}

TEST_F(TextFileTest, ReadsRealFilesAcrossChunkBoundaries) {
  // A line longer than a chunk, then a CR LF split between two reads, then a
  // lead byte whose continuation comes with the next read.
  const size_t chunk = ReadChunkSize;
  const std::string longLine(chunk * 2 + 100, 'x');
  std::string bytes = longLine + "\n";
  const size_t secondStart = bytes.size();
  bytes += std::string(chunk * 4 - bytes.size() - 1, 'y') + "\r\nz";
  bytes += std::string(chunk * 5 - bytes.size() - 1, 'w') +
           "\xC3\xA9"
           "\n";
  put("in.txt", bytes);
  std::vector<Text> lines = readAll(openForReading(textPath("in.txt")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], Text(longLine.size(), u'x'));
  EXPECT_EQ(lines[1].size(), chunk * 4 - secondStart - 1);
  EXPECT_EQ(lines[2].substr(0, 1), u"z");
  EXPECT_EQ(lines[2].back(), u'\u00E9');
}

TEST_F(TextFileTest, OpenForReadingRefusalsCarryTheirReason) {
  Text reason;
  EXPECT_EQ(openForReading(textPath("missing.txt"), &reason), nullptr);
  EXPECT_EQ(encodeUtf8(reason), missingFileReason());
  EXPECT_EQ(openForReading(folderText(), &reason), nullptr);
  EXPECT_EQ(encodeUtf8(reason), folderReason());
}

// Readers take no lock: two conversions of one description at once both
// read it, and a replacement of it meanwhile does not disturb them.
TEST_F(TextFileTest, ReadersDoNotLockEachOtherOut) {
  put("held.txt", "a\n");
  FileHandle first = openForReading(textPath("held.txt"));
  ASSERT_NE(first, nullptr);
  FileHandle second = openForReading(textPath("held.txt"));
  ASSERT_NE(second, nullptr);
  FileHandle writer = createReplacement(textPath("held.txt"));
  ASSERT_NE(writer, nullptr);
  writeLine(writer, u"b");
  EXPECT_TRUE(finishWriting(writer).ok());
  EXPECT_EQ(readAll(first), std::vector<Text>{u"a"});
  EXPECT_EQ(readAll(second), std::vector<Text>{u"a"});
  EXPECT_EQ(get("held.txt"), "b\r\n");
}

TEST_F(TextFileTest, WriteLineBytes) {
  put("out.txt", std::string(9000, 'o'));  // longer than the new content
  FileHandle file = createForWriting(textPath("out.txt"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"");
  writeLine(file, u"\u00E9");
  writeLine(file, Text(1, char16_t(0xD83D)));
  writeLine(file, Text(5000, u'l'));  // larger than the transfer buffer
  writeLine(file, u"end");
  EXPECT_TRUE(finishWriting(file).ok());
  EXPECT_EQ(get("out.txt"), "\r\n\xC3\xA9\r\n\xEF\xBF\xBD\r\n" +
                                std::string(5000, 'l') + "\r\nend\r\n");
}

TEST_F(TextFileTest, CreateForWritingRefusesFolderAndMissingFolder) {
  EXPECT_EQ(createForWriting(folderText()), nullptr);
  EXPECT_EQ(createForWriting(textPath("no/such/folder.txt")), nullptr);
}

TEST_F(TextFileTest, ReplacementAppearsOnlyWhenComplete) {
  put("chart.svg", "old");
#ifndef _WIN32
  chmod(path("chart.svg").c_str(), 0640);
#endif
  FileHandle file = createReplacement(textPath("chart.svg"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"new");
  EXPECT_EQ(get("chart.svg"), "old");  // untouched while writing
  EXPECT_TRUE(finishWriting(file).ok());
  EXPECT_EQ(get("chart.svg"), "new\r\n");
#ifndef _WIN32
  struct stat info;
  ASSERT_EQ(stat(path("chart.svg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
#endif
  EXPECT_EQ(entries(), std::vector<std::string>{"chart.svg"});
}

TEST_F(TextFileTest, ReplacementRefusals) {
  EXPECT_EQ(createReplacement(textPath("missing/chart.svg")), nullptr);
  EXPECT_EQ(createReplacement(folderText()), nullptr);
  EXPECT_EQ(createReplacement(u""), nullptr);
  EXPECT_TRUE(entries().empty());
}

#ifndef _WIN32  // Windows has no file-size limit to make a write fail part-way
TEST_F(TextFileTest, FailedWriteKeepsTheEarlierFile) {
  put("chart.svg", "earlier content");
  // Let writes beyond 64 KiB fail with EFBIG instead of killing the test.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  FileHandle file = createReplacement(textPath("chart.svg"));
  ASSERT_NE(file, nullptr);
  for (int i = 0; i < 2000; ++i) writeLine(file, Text(100, u'z'));
  const int result = finishWriting(file).ok() ? 1 : 0;

  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, savedHandler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(get("chart.svg"), "earlier content");
  EXPECT_EQ(entries(), std::vector<std::string>{"chart.svg"});
}
#endif

#ifdef _WIN32
// NUL names the null device in every folder: no file is made or replaced.
TEST_F(TextFileTest, ReplacementOfDeviceWritesInPlace) {
  FileHandle file = createReplacement(textPath("NUL"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"discarded");
  EXPECT_TRUE(finishWriting(file).ok());
  EXPECT_TRUE(entries().empty());
}
#else
TEST_F(TextFileTest, ReplacementOfDeviceWritesInPlace) {
  FileHandle file = createReplacement(u"/dev/null");
  ASSERT_NE(file, nullptr);
  writeLine(file, u"discarded");
  EXPECT_TRUE(finishWriting(file).ok());
  struct stat info;
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}
#endif

}  // namespace
