// Ctrl+C while a drawing is being written removes its temporary file and
// leaves the earlier drawing as it was.
//
// The interrupted program is a copy of this test program in a console of its
// own, running the disabled test below, which starts a replacement and then
// sends its console a real Ctrl+C.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "testing/test_support.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"
#include "base/utf8.h"

namespace {

constexpr wchar_t kFolderVariable[] = L"FLOWSVG_INTERRUPTED_FOLDER";

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  return text;
}

// Runs in the child only (the parent names it with
// --gtest_also_run_disabled_tests): it never passes, since Ctrl+C ends it.
TEST(TemporaryFilesWin32Test, DISABLED_InterruptedWhileWriting) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(kFolderVariable, folder, MAX_PATH), 0u);
  const std::string dir = encodeUtf8(textFromNativePath(folder));
  guardTemporaryFiles();
  FileHandle file = createReplacement(textOfPath(dir + "/chart.svg"));
  ASSERT_NE(file, nullptr);
  writeLine(file, u"new content that never lands");
  // What the folder held while the drawing was being written.
  const std::string during = joined(folderEntries(dir));
  writeBytes(dir + "/during.txt", during);
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
  Sleep(10000);
  FAIL() << "still running after Ctrl+C";
}

TEST(TemporaryFilesWin32Test, CtrlCRemovesTheTemporaryFile) {
  TempFolder dir;
  writeBytes(dir.file("chart.svg"), "earlier drawing");
  ASSERT_TRUE(SetEnvironmentVariableW(
      kFolderVariable, nativePath(textOfPath(dir.path())).c_str()));
  const unsigned long status = runTestInOwnConsole(
      "TemporaryFilesWin32Test.DISABLED_InterruptedWhileWriting");
  SetEnvironmentVariableW(kFolderVariable, nullptr);

  // Windows ends the program with STATUS_CONTROL_C_EXIT; Wine with 0. A
  // program that went on would have failed its test: 1.
  EXPECT_TRUE(status == STATUS_CONTROL_C_EXIT || status == 0) << status;
  // While writing: the earlier drawing and the temporary file beside it.
  const std::string during = readBytes(dir.file("during.txt"));
  EXPECT_EQ(during.rfind(".chart.svg.", 0), 0u) << during;
  EXPECT_EQ(during.substr(during.find('\n')), "\nchart.svg\n") << during;
  EXPECT_EQ(folderEntries(dir.path()),
            (std::vector<std::string>{"chart.svg", "during.txt"}));
  EXPECT_EQ(readBytes(dir.file("chart.svg")), "earlier drawing");
}

}  // namespace
