// Writing everything to a Windows handle, shared by the file code
// (text_file-win32.cc) and the programs' words (console-win32.cc). Nothing
// outside src/platform includes this header.
#ifndef FLOWSVG_PLATFORM_HANDLE_WRITES_WIN32_H_
#define FLOWSVG_PLATFORM_HANDLE_WRITES_WIN32_H_

#include <windows.h>

#include <cstddef>

#include "base/strings.h"

// Writes all size bytes to handle (a file or pipe). False when that cannot
// be done, with error set to why.
bool writeAll(HANDLE handle, const char* data, size_t size, DWORD& error);

// Writes the text to handle, a console, as the UTF-16 it shows. False when
// that cannot be done, with GetLastError telling why.
bool writeConsoleUnits(HANDLE handle, TextView text);

#endif  // FLOWSVG_PLATFORM_HANDLE_WRITES_WIN32_H_
