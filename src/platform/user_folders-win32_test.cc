// The folders the desktop window needs on Windows: the write check leaves
// nothing behind and reaches long paths, folder identity sees through
// spellings, and the working and documents folders end in a separator.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/user_folders.h"
#include "testing/test_support.h"
#include "platform/paths.h"

namespace {

bool isFolder(TextView path) {
  const int32_t attributes = fileAttributesOf(path);
  return attributes != -1 && (attributes & FolderAttribute) != 0;
}

TEST(UserFoldersWin32Test, CanWriteInFolderCreatesNothingThatStays) {
  TempFolder temp;
  writeBytes(temp.file("file"), "x");
  // A folder deeper than MAX_PATH characters, reached through \\?\ only.
  Text deep = temp.text("");
  for (int i = 0; i < 5; ++i) {
    deep += Text(60, static_cast<char16_t>(u'a' + i)) + u"\\";
    ASSERT_TRUE(CreateDirectoryW(nativePath(deep).c_str(), nullptr));
  }
  ASSERT_GT(deep.size(), size_t{MAX_PATH});
  struct Case {
    const char* label;
    Text folder;
    int32_t writable;
  };
  const Case cases[] = {
      {"a folder", textOfPath(temp.path()), 1},
      {"with its separator", temp.text(""), 1},
      {"longer than MAX_PATH", deep, 1},
      {"a file", temp.text("file"), 0},
      {"nothing there", temp.text("missing"), 0},
      {"the empty path", Text(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(canWriteInFolder(c.folder), c.writable);
  }
  // What the check made is gone again.
  EXPECT_EQ(folderEntries(temp.path()),
            (std::vector<std::string>{std::string(60, 'a'), "file"}));
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(nativePath(deep + u"*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  int entries = 0;
  do {
    ++entries;  // "." and ".." only
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(entries, 2);
  while (deep.size() > temp.text("").size()) {
    RemoveDirectoryW(nativePath(deep).c_str());
    deep.resize(deep.rfind(u'\\', deep.size() - 2) + 1);
  }
}

TEST(UserFoldersWin32Test, SameFolderSeesThroughSpellings) {
  TempFolder temp;
  CreateDirectoryW(nativePath(temp.text("Plans")).c_str(), nullptr);
  CreateDirectoryW(nativePath(temp.text("Other")).c_str(), nullptr);
  writeBytes(temp.file("file"), "x");
  const Text plans = temp.text("Plans");
  Text backslashed = plans;
  for (char16_t& c : backslashed) {
    if (c == u'/') c = u'\\';
  }
  EXPECT_EQ(sameFolder(plans, plans), 1);
  EXPECT_EQ(sameFolder(plans, backslashed + u"\\"), 1);
  EXPECT_EQ(sameFolder(plans, temp.text("Other/../Plans")), 1);
  EXPECT_EQ(sameFolder(plans, temp.text("PLANS")), 1);
  EXPECT_EQ(sameFolder(plans, temp.text("Other")), 0);
  EXPECT_EQ(sameFolder(temp.text("file"), temp.text("file")), 0);
  EXPECT_EQ(sameFolder(temp.text("missing"), temp.text("missing")), 0);
}

TEST(UserFoldersWin32Test, WorkingAndDocumentsFoldersEndInASeparator) {
  TempFolder temp;
  const Text here = temp.text("work here");
  CreateDirectoryW(nativePath(here).c_str(), nullptr);
  const std::wstring saved = currentFolder();
  ASSERT_TRUE(SetCurrentDirectoryW(nativePath(here).c_str()));
  const Text working = workingFolder();
  SetCurrentDirectoryW(saved.c_str());
  ASSERT_FALSE(working.empty());
  EXPECT_EQ(working.back(), u'\\');
  EXPECT_EQ(sameFolder(working, here), 1);

  const Text documents = documentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(documents.back(), u'\\');
  EXPECT_TRUE(isFolder(documents));
}

}  // namespace
