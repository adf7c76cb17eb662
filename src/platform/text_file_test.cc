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

// A file of several reads comes whole, each byte as it is, whatever the
// reads cut (a line, a CR LF, a UTF-8 sequence, a UTF-16 pair).
TEST_F(TextFileTest, ReadsWholeFilesAcrossChunkBoundaries) {
  const size_t chunk = ReadChunkSize;
  std::string bytes = "\xFF\xFE" + std::string(chunk * 2 + 100, 'x') + "\n";
  bytes += std::string(chunk * 4 - bytes.size() - 1, 'y') + "\r\nz";
  bytes += std::string(chunk * 5 - bytes.size() - 1, 'w') + "\xC3\xA9\n";
  bytes += std::string(1, '\0') + "\x3D\xD8\x00\xDE";
  for (const size_t size : {size_t{0}, size_t{1}, chunk - 1, chunk, chunk + 1,
                            bytes.size()}) {
    SCOPED_TRACE(size);
    put("in.txt", bytes.substr(0, size));
    EXPECT_EQ(readWhole(openForReading(textPath("in.txt"))),
              bytes.substr(0, size));
  }
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
  EXPECT_EQ(readWhole(first), "a\n");
  EXPECT_EQ(readWhole(second), "a\n");
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
