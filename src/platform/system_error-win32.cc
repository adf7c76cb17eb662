// Error texts on Windows: the system's own descriptions of GetLastError
// codes, asked for in English so that a reason reads the same on every
// Windows, whatever the user's display language.
#include <windows.h>

#include "platform/system_error.h"

namespace {

// FormatMessageW's text for code in the given language; empty when the
// system has none.
Text describe(DWORD code, DWORD language) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return Text();
  Text text(reinterpret_cast<const char16_t*>(buffer), length);
  LocalFree(buffer);
  // "The system cannot find the file specified.\r\n": one line, no period.
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' ||
                           text.back() == u' ' || text.back() == u'.')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

Text systemErrorText(int64_t code) {
  const DWORD value = static_cast<DWORD>(code);
  // A Windows without the English texts installed answers in its own
  // language rather than not at all.
  for (DWORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)}) {
    Text text = describe(value, language);
    if (!text.empty()) return text;
  }
  return u"Unknown error " + formatInteger(code);
}

Text outOfMemoryReason() { return systemErrorText(ERROR_NOT_ENOUGH_MEMORY); }
