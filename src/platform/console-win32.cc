// The programs' words on Windows: UTF-16 to a console, UTF-8 to anything
// else, both straight to the standard handle.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/handle_writes-win32.h"
#include "base/utf8.h"

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
  // Encoded piece by piece on the stack: printing takes no memory, so a
  // message still gets out when memory has run out.
  constexpr size_t kUnits = 4096;
  char bytes[MaxUtf8BytesPerUnit * kUnits];
  for (size_t at = 0; at < text.size();) {
    size_t units = text.size() - at < kUnits ? text.size() - at : kUnits;
    const char16_t last = text[at + units - 1];
    if (at + units < text.size() && last >= 0xD800 && last <= 0xDBFF) {
      --units;  // a surrogate pair stays whole
    }
    const size_t size = encodeUtf8Into(text.substr(at, units), bytes);
    DWORD error = 0;
    if (!writeAll(handle, bytes, size, error)) return false;
    at += units;
  }
  return true;
}

bool writeAsciiLine(StandardStream stream, TextView ascii) {
  HANDLE handle = GetStdHandle(
      stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (parentConsoleWanted && !usable(handle)) handle = parentConsole();
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  char line[257];
  size_t size = 0;
  for (; size < ascii.size() && size < 255; ++size) {
    line[size] = static_cast<char>(ascii[size] & 0x7F);
  }
  line[size++] = '\n';
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    wchar_t units[257];
    for (size_t k = 0; k < size; ++k) units[k] = static_cast<wchar_t>(line[k]);
    return WriteConsoleW(handle, units, static_cast<DWORD>(size), &written,
                         nullptr) &&
           written == size;
  }
  DWORD error = 0;
  return writeAll(handle, line, size, error);
}
