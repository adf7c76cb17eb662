// The system's own words for why an operation failed, as the reasons in the
// program's messages show them: always in English, whatever the locale.
#ifndef FLOWSVG_PLATFORM_SYSTEM_ERROR_H_
#define FLOWSVG_PLATFORM_SYSTEM_ERROR_H_

#include <cstdint>

#include "base/strings.h"

// The text for an error code: an errno value on POSIX ("No such file or
// directory", as the C library says it in the C locale), a GetLastError
// code on Windows (FormatMessageW's English text, without its final period
// and line break).
Text systemErrorText(int64_t code);

// The reason given when memory runs out.
Text outOfMemoryReason();

#endif  // FLOWSVG_PLATFORM_SYSTEM_ERROR_H_
