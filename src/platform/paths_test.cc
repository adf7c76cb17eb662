#include "platform/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "testing/test_support.h"
#include "base/utf8.h"

namespace {

TEST(PathsTest, FolderPart) {
  struct Case {
    Text path, folder;
  };
  const Case cases[] = {
      {u"C:/data/chart.txt", u"C:/data/"},
      {u"chart.txt", u""},
      {u"C:/data/", u"C:/data/"},
      {u"C:\\data\\chart.txt", u"C:\\data\\"},
      {u"/a\\b/c", u"/a\\b/"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(folderPart(c.path), c.folder);
  }
}

TEST(PathsTest, ExtensionPart) {
  struct Case {
    Text path, extension;
  };
  const Case cases[] = {
      {u"chart.svg", u"svg"},
      {u"C:/out/chart.SVG", u"SVG"},
      {u"archive.tar.gz", u"gz"},
      {u"my chart.svg", u"svg"},
      {u"chart", u""},
      {u"C:/my.dir/chart", u""},
      {u"C:/out/.svg", u""},
      {u"chart.", u""},
      {u"chart.svg ", u""},
      {u".svg", u""},
      {u"a\\b.c\\d", u""},
      {u"x\\.svg", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extensionPart(c.path), c.extension);
  }
}

TEST(PathsTest, ShownPathEscapesWhatATerminalWouldActOn) {
  struct Case {
    Text text;
    Text shown;
  };
  const Case cases[] = {
      {u"plain name.txt", u"plain name.txt"},
      // C0 controls and DEL: \x and two lower-case hex digits.
      {u"a\nb", u"a\\x0ab"},
      {Text(u"\0x", 2), u"\\x00x"},
      {u"\x1b]0;PWNED\x07", u"\\x1b]0;PWNED\\x07"},
      {u"\x7f\x1f", u"\\x7f\\x1f"},
      // C1 controls: \u and four upper-case hex digits.
      {u"\u0080\u009B2J\u009f", u"\\u0080\\u009B2J\\u009F"},
      // Their neighbours are shown as they are.
      {u"\u00A0\u00E9 ~", u"\u00A0\u00E9 ~"},
      // Bidirectional formatting characters, line and paragraph separators.
      {u"invoice\u202Egpj.txt", u"invoice\\u202Egpj.txt"},
      {u"\u061C\u200E\u200F", u"\\u061C\\u200E\\u200F"},
      {u"\u202A\u202B\u202C\u202D", u"\\u202A\\u202B\\u202C\\u202D"},
      {u"\u2066\u2067\u2068\u2069", u"\\u2066\\u2067\\u2068\\u2069"},
      {u"one\u2028two\u2029", u"one\\u2028two\\u2029"},
      {u"\u200D\u2065\u206A\u2027\u202F", u"\u200D\u2065\u206A\u2027\u202F"},
      // A byte that is not UTF-8 (a lone U+DC80 to U+DCFF) shows as U+FFFD;
      // a character above U+FFFF stays whole.
      {u"caf\xDCE9.txt", u"caf\uFFFD.txt"},
      {u"\U0001F600", u"\U0001F600"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(shownPath(c.text), c.shown) << encodeUtf8(c.text);
  }
}

TEST(PathsTest, FileSizeAndAttributes) {
  TempFolder dir;
  writeBytes(dir.file("three.txt"), "abc");
  const Text folder = textOfPath(dir.path());
  const Text file = dir.text("three.txt");

  EXPECT_EQ(fileSizeOf(file), 3);
  EXPECT_EQ(fileSizeOf(folder), -2);
  EXPECT_EQ(fileSizeOf(folder + u"/"), -2);
  EXPECT_EQ(fileSizeOf(folder + u"//"), -2);
  EXPECT_EQ(fileSizeOf(folder + u"/missing"), -1);
  EXPECT_EQ(fileSizeOf(u"///"), -1);
  EXPECT_EQ(fileSizeOf(u""), -1);

  EXPECT_EQ(fileAttributesOf(u""), -1);
  EXPECT_EQ(fileAttributesOf(folder + u"/missing"), -1);
  EXPECT_NE(fileAttributesOf(folder + u"/") & FolderAttribute, 0);
  int32_t fileFlags = fileAttributesOf(file);
  EXPECT_GE(fileFlags, 0);
  EXPECT_EQ(fileFlags & FolderAttribute, 0);
}

TEST(PathsTest, ProgramPathNamesThisTestProgram) {
  Text path = programPath();
  ASSERT_FALSE(path.empty());
#ifdef _WIN32
  // A drive path, "X:\...", or a share, "\\server\...".
  EXPECT_TRUE(path.substr(1, 2) == u":\\" || path.substr(0, 2) == u"\\\\")
      << encodeUtf8(path);
  const char16_t separator = u'\\';
  const std::string bytes = encodeUtf8(path);
#else
  EXPECT_EQ(path[0], u'/');
  const char16_t separator = u'/';
  const std::string bytes = nativePath(path);
#endif
  EXPECT_GT(fileSizeOf(path), 0);
  Text folder = folderPart(path);
  EXPECT_EQ(folder.back(), separator);
  EXPECT_EQ(fileSizeOf(folder), -2);
  // The test below runs a copy of this program and reads this line.
  printf("program path: %s\n", bytes.c_str());
}

#ifndef _WIN32  // the Windows twin (a \\?\ start) is in paths-win32_test.cc
TEST(PathsTest, ProgramPathLongerThan259IsWhole) {
  // Copy this test program to a folder deeper than 259 characters and ask
  // the copy for its own path.
  char name[] = "/tmp/flowsvg-long-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  std::string deep = name;
  for (int i = 0; i < 6; ++i) deep += "/" + std::string(60, 'd');
  ASSERT_EQ(system(("mkdir -p '" + deep + "'").c_str()), 0);
  std::string self = nativePath(programPath());
  std::string copy = deep + "/paths_probe";
  ASSERT_EQ(system(("cp '" + self + "' '" + copy + "'").c_str()), 0);
  std::string command =
      "'" + copy +
      "' --gtest_filter=PathsTest.ProgramPathNamesThisTestProgram 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  EXPECT_EQ(pclose(pipe), 0) << output;  // the copy's own checks passed
  EXPECT_NE(output.find("program path: " + copy + "\n"), std::string::npos)
      << output;
  EXPECT_GT(copy.size(), 259u);
  ASSERT_EQ(system(("rm -rf '" + std::string(name) + "'").c_str()), 0);
}
#endif

}  // namespace
