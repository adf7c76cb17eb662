// The programs' words on Windows: UTF-16 to a console, UTF-8 to anything
// else, both straight to the standard handle.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "text/console.h"
#include "text/handle_writes-win32.h"
#include "text/utf8.h"

namespace {

bool usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool parentConsoleWanted = false;

// The console the program was started from, or nullptr when there is none.
HANDLE parentConsole() {
  static HANDLE console = [] {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return HANDLE(nullptr);
    const HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    return output == INVALID_HANDLE_VALUE ? HANDLE(nullptr) : output;
  }();
  return console;
}

}  // namespace

void useParentConsole() { parentConsoleWanted = true; }

void prepareStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool writeToStream(StandardStream stream, TextView text) {
  HANDLE handle = GetStdHandle(
      stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (parentConsoleWanted && !usable(handle)) handle = parentConsole();
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode;
  // A console keeps LF as the line break it understands.
  if (GetConsoleMode(handle, &mode)) return writeConsoleUnits(handle, text);
  const std::string bytes = encodeUtf8(text);
  DWORD error = 0;
  return writeAll(handle, bytes.data(), bytes.size(), error);
}
