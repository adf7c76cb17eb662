#include <windows.h>

#include <string>

#include "desktop/print.h"
#include "text/utf8.h"

namespace {

bool usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

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

bool writeAll(HANDLE handle, const std::string& bytes) {
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

}  // namespace

bool printText(PrintStream stream, TextView text) {
  HANDLE handle = GetStdHandle(
      stream == PrintStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (!usable(handle)) handle = parentConsole();
  if (handle == nullptr) return false;
  DWORD mode;
  if (!GetConsoleMode(handle, &mode)) return writeAll(handle, encodeUtf8(text));
  // A console is given the characters themselves, whatever its code page.
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
