// Error texts on POSIX systems: glibc's English descriptions, which do not
// depend on the locale.
#include <errno.h>
#include <string.h>

#include "platform/system_error.h"
#include "base/utf8.h"

Text systemErrorText(int64_t code) {
  const char* description = strerrordesc_np(static_cast<int>(code));
  if (description == nullptr) {
    return u"Unknown error " + formatInteger(code);
  }
  return decodeUtf8(description);
}

Text outOfMemoryReason() { return systemErrorText(ENOMEM); }
