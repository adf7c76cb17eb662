// What the Windows text files must do beyond the shared tests: keep a
// replaced file's attributes, wait a moment for another program that holds
// the file open and then give up leaving it whole, never lock a reader out,
// pass every byte through as it is, and take paths of any length.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

class TextFileWin32Test : public testing::Test {
 protected:
  std::wstring native(const std::string& name) const {
    return nativePath(dir_.text(name));
  }
  DWORD attributes(const std::string& name) const {
    return GetFileAttributesW(native(name).c_str());
  }
  // Opens the file as another program would: for reading, sharing it only
  // as given.
  HANDLE holdOpen(const std::string& name, DWORD access, DWORD sharing) const {
    return CreateFileW(native(name).c_str(), access, sharing, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  int replace(const std::string& name, TextView line, Text* reason) const {
    FileHandle file = createReplacement(dir_.text(name), reason);
    if (file == nullptr) return -1;
    writeLine(file, line);
    const Status written = finishWriting(file);
    if (!written.ok() && reason != nullptr) *reason = written.reason();
    return written.ok() ? 1 : 0;
  }
  TempFolder dir_;
};

TEST_F(TextFileWin32Test, ReplacementKeepsTheAttributes) {
  writeBytes(dir_.file("chart.svg"), "old");
  ASSERT_TRUE(
      SetFileAttributesW(native("chart.svg").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Text reason;
  EXPECT_EQ(replace("chart.svg", u"new", &reason), 1) << encodeUtf8(reason);
  EXPECT_EQ(readBytes(dir_.file("chart.svg")), "new\r\n");
  EXPECT_NE(attributes("chart.svg") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(folderEntries(dir_.path()), std::vector<std::string>{"chart.svg"});
  // A new file is an ordinary one.
  EXPECT_EQ(replace("fresh.svg", u"x", &reason), 1);
  EXPECT_EQ(attributes("fresh.svg") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// A viewer that keeps the drawing open (sharing it for reading only) and
// closes it a moment later: the swap waits for it.
TEST_F(TextFileWin32Test, SwapWaitsForAnotherProgramToLetGo) {
  writeBytes(dir_.file("chart.svg"), "old");
  const HANDLE held = holdOpen("chart.svg", GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread viewer([held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CloseHandle(held);
  });
  Text reason;
  const int result = replace("chart.svg", u"new", &reason);
  viewer.join();
  EXPECT_EQ(result, 1) << encodeUtf8(reason);
  EXPECT_EQ(readBytes(dir_.file("chart.svg")), "new\r\n");
  EXPECT_EQ(folderEntries(dir_.path()), std::vector<std::string>{"chart.svg"});
}

// A viewer that does not let go: after the retries the file is as it was,
// the reason says why, and no temporary file is left.
TEST_F(TextFileWin32Test, FileHeldOpenStaysAsItWas) {
  writeBytes(dir_.file("chart.svg"), "old");
  const HANDLE held = holdOpen("chart.svg", GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Text reason;
  EXPECT_EQ(replace("chart.svg", u"new", &reason), 0);
  CloseHandle(held);
  EXPECT_EQ(reason, wording::LockedReason);
  EXPECT_EQ(readBytes(dir_.file("chart.svg")), "old");
  EXPECT_EQ(folderEntries(dir_.path()), std::vector<std::string>{"chart.svg"});
}

// A program still writing the description (sharing it for reading and
// writing, as a logger does) does not keep the converter from reading it.
TEST_F(TextFileWin32Test, ReaderIsNotLockedOutByAWriter) {
  writeBytes(dir_.file("chart.txt"), "[Header]\r\n");
  const HANDLE writer =
      holdOpen("chart.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Text reason;
  FileHandle file = openForReading(dir_.text("chart.txt"), &reason);
  ASSERT_NE(file, nullptr) << encodeUtf8(reason);
  EXPECT_EQ(readWhole(file), "[Header]\r\n");
  CloseHandle(writer);
}

// No text mode anywhere: CR LF stays CR LF, a Ctrl+Z byte is a byte.
TEST_F(TextFileWin32Test, BytesPassAsTheyAre) {
  FileHandle file = createReplacement(dir_.text("bytes.txt"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"a\u001Ab");
  writeLine(file, u"end");
  ASSERT_TRUE(finishWriting(file).ok());
  EXPECT_EQ(readBytes(dir_.file("bytes.txt")),
            "a\x1A"
            "b\r\nend\r\n");
  file = openForReading(dir_.text("bytes.txt"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(readWhole(file),
            "a\x1A"
            "b\r\nend\r\n");
}

// A hidden file is written in place through the second attempt, and stays
// hidden.
TEST_F(TextFileWin32Test, CreateForWritingKeepsAHiddenFileHidden) {
  writeBytes(dir_.file("hidden.txt"), "a longer earlier content");
  ASSERT_TRUE(
      SetFileAttributesW(native("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  FileHandle file = createForWriting(dir_.text("hidden.txt"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"new");
  EXPECT_TRUE(finishWriting(file).ok());
  EXPECT_EQ(readBytes(dir_.file("hidden.txt")), "new\r\n");
  EXPECT_NE(attributes("hidden.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Folders and files deeper than MAX_PATH: written, replaced, read, sized.
TEST_F(TextFileWin32Test, PathsLongerThan259Characters) {
  Text deep = textOfPath(dir_.path());
  for (int i = 0; i < 5; ++i) {
    deep += u"\\" + Text(60, u'd');
    ASSERT_TRUE(CreateDirectoryW(nativePath(deep).c_str(), nullptr))
        << GetLastError();
  }
  const Text chart = deep + u"\\chart.svg";
  ASSERT_GT(chart.size(), 300u);
  for (TextView line : {u"first", u"second"}) {  // a new file, then a swap
    FileHandle file = createReplacement(chart);
    ASSERT_NE(file, nullptr);
    writeLine(file, line);
    ASSERT_TRUE(finishWriting(file).ok());
  }
  EXPECT_EQ(fileSizeOf(chart), 8);
  EXPECT_EQ(fileAttributesOf(deep) & FolderAttribute, FolderAttribute);
  EXPECT_TRUE(identityOf(chart).known);
  FileHandle file = openForReading(chart);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(readWhole(file), "second\r\n");
  // The temporary file did not outlive the swap.
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileW(nativePath(deep + u"\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"chart.svg"}));
  removeDeepFolder(chart, deep);
}

}  // namespace
