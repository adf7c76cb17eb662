// The program's words on Windows: UTF-8 bytes into a pipe or file, the
// characters themselves into a console, whatever its code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "testing/test_support.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "base/utf8.h"

namespace {

// A message with characters beyond any single code page's reach.
constexpr char16_t kMessage[] = u"Status: \u2713 caf\u00E9 \u4E2D \u2302";

TEST(ConsoleWin32Test, PipeGetsUtf8) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, FALSE};
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  const HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_ERROR_HANDLE, writeEnd);
  const bool written =
      writeToStream(StandardStream::Error, Text(kMessage) + u"\n");
  SetStdHandle(STD_ERROR_HANDLE, saved);
  CloseHandle(writeEnd);
  const std::string bytes = readToEnd(readEnd);
  EXPECT_TRUE(written);
  EXPECT_EQ(bytes, encodeUtf8(kMessage) + "\n");
}

TEST(ConsoleWin32Test, ClosedStreamIsAFailure) {
  const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
  const bool written = writeToStream(StandardStream::Output, u"lost\n");
  SetStdHandle(STD_OUTPUT_HANDLE, saved);
  EXPECT_FALSE(written);
}

constexpr wchar_t kResultVariable[] = L"FLOWSVG_CONSOLE_RESULT";

// Runs in a console of its own, started by the test below: writes the
// message and reads the console's screen back into the result file.
TEST(ConsoleWin32Test, DISABLED_WritesCharactersToItsConsole) {
  wchar_t result[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(kResultVariable, result, MAX_PATH), 0u);
  ASSERT_TRUE(writeToStream(StandardStream::Error, Text(kMessage) + u"\n"));
  const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
  const DWORD cells = static_cast<DWORD>(info.dwSize.X) * info.dwSize.Y;
  std::wstring screen(cells, L' ');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(console, screen.data(), cells,
                                          COORD{0, 0}, &read));
  screen.resize(read);
  writeBytes(encodeUtf8(textFromNativePath(result)),
             encodeUtf8(textFromNativePath(screen)));
}

TEST(ConsoleWin32Test, ConsoleGetsTheCharacters) {
  if (runningUnderWine()) {
    GTEST_SKIP() << "Wine without a display gives a new console no screen "
                    "buffer: its standard handles are not console handles";
  }
  TempFolder dir;
  const std::wstring result = nativePath(dir.text("screen.txt"));
  ASSERT_TRUE(SetEnvironmentVariableW(kResultVariable, result.c_str()));
  const unsigned long status = runTestInOwnConsole(
      "ConsoleWin32Test.DISABLED_WritesCharactersToItsConsole");
  SetEnvironmentVariableW(kResultVariable, nullptr);
  EXPECT_EQ(status, 0ul);
  const std::string screen = readBytes(dir.file("screen.txt"));
  EXPECT_NE(screen.find(encodeUtf8(kMessage)), std::string::npos) << screen;
}

}  // namespace
