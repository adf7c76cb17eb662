// Paths on Windows: the forms handed to the Win32 API, drives, and the
// program's own path when it was started through a \\?\ path.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "base/utf8.h"

namespace {

TEST(PathsWin32Test, NativePathForms) {
  const Text longName(300, u'n');
  const std::wstring wideLongName(300, L'n');
  std::wstring here = currentFolder();
  if (here.back() != L'\\') here += L'\\';
  struct Case {
    Text path;
    std::wstring native;
  };
  const Case cases[] = {
      {u"chart.svg", here + L"chart.svg"},
      {u"C:/data/../data/chart.txt", L"C:\\data\\chart.txt"},
      {u"C:\\" + longName, L"\\\\?\\C:\\" + wideLongName},
      {u"C:/" + longName + u"/x", L"\\\\?\\C:\\" + wideLongName + L"\\x"},
      {u"\\\\server\\share\\" + longName,
       L"\\\\?\\UNC\\server\\share\\" + wideLongName},
      {u"\\\\?\\C:\\kept as it is", L"\\\\?\\C:\\kept as it is"},
      {u"NUL", L"\\\\.\\NUL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nativePath(c.path), c.native) << encodeUtf8(c.path);
  }
}

TEST(PathsWin32Test, DrivesAreFolders) {
  EXPECT_EQ(fileSizeOf(u"C:"), -2);
  EXPECT_EQ(fileSizeOf(u"C:\\"), -2);
  EXPECT_EQ(fileSizeOf(u"c:/"), -2);
  EXPECT_NE(fileAttributesOf(u"C:\\") & FolderAttribute, 0);
  // A letter no drive has.
  const DWORD drives = GetLogicalDrives();
  for (char16_t letter = u'Q'; letter <= u'Y'; ++letter) {
    if (drives & (1u << (letter - u'A'))) continue;
    const Text drive = Text(1, letter) + u":";
    EXPECT_EQ(fileSizeOf(drive), -1) << encodeUtf8(drive);
    EXPECT_EQ(fileSizeOf(drive + u"\\"), -1) << encodeUtf8(drive);
    EXPECT_EQ(fileAttributesOf(drive + u"\\"), -1) << encodeUtf8(drive);
    break;
  }
}

// A copy of this test program in a folder deeper than 259 characters,
// started through its \\?\ path, reports its path whole and without the
// prefix (PathsTest.ProgramPathNamesThisTestProgram prints it).
TEST(PathsWin32Test, ProgramStartedThroughALongPrefixedPath) {
  TempFolder dir;
  Text deep = textOfPath(dir.path());
  for (char16_t& unit : deep) {
    if (unit == u'/') unit = u'\\';  // as the system reports the path
  }
  for (int i = 0; i < 5; ++i) {
    deep += u"\\" + Text(60, u'd');
    ASSERT_TRUE(CreateDirectoryW(nativePath(deep).c_str(), nullptr));
  }
  const Text copy = deep + u"\\paths_probe.exe";
  ASSERT_GT(copy.size(), 259u);
  const std::wstring prefixed = nativePath(copy);
  ASSERT_EQ(prefixed.substr(0, 4), L"\\\\?\\");
  ASSERT_TRUE(
      CopyFileW(nativePath(programPath()).c_str(), prefixed.c_str(), TRUE));

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::wstring command =
      L"paths_probe.exe "
      L"--gtest_filter=PathsTest.ProgramPathNamesThisTestProgram";
  PROCESS_INFORMATION process;
  const bool started =
      CreateProcessW(prefixed.c_str(), command.data(), nullptr, nullptr, TRUE,
                     0, nullptr, nullptr, &startup, &process);
  if (!started && GetLastError() == ERROR_INVALID_NAME && runningUnderWine()) {
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    removeDeepFolder(copy, deep);
    GTEST_SKIP() << "Wine starts no program whose path is longer than "
                    "MAX_PATH, with the \\\\?\\ prefix or without";
  }
  ASSERT_TRUE(started) << "error " << GetLastError();
  CloseHandle(writeEnd);
  const std::string output = readToEnd(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(status, 0u) << output;  // the copy's own checks passed
  // The copy prints through the C runtime, which ends lines with CR LF.
  EXPECT_NE(output.find("program path: " + encodeUtf8(copy) + "\r\n"),
            std::string::npos)
      << output;

  removeDeepFolder(copy, deep);
}

}  // namespace
