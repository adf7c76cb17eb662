// The programs' words on Windows: UTF-16 to a console, UTF-8 to anything
// else, both straight to the standard handle.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "text/console.h"
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
  if (GetConsoleMode(handle, &mode)) {
    // A console keeps LF as the line break it understands.
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    size_t left = text.size();
    while (left > 0) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(left < 16384 ? left : 16384);
      if (!WriteConsoleW(handle, units, chunk, &put, nullptr) || put == 0) {
        return false;
      }
      units += put;
      left -= put;
    }
    return true;
  }
  const std::string bytes = encodeUtf8(text);
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD put = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(left), &put, nullptr) ||
        put == 0) {
      return false;
    }
    data += put;
    left -= put;
  }
  return true;
}
