// The local clock on POSIX systems.
#include <time.h>

#include "platform/clock.h"

Timestamp currentTime() {
  time_t now = time(nullptr);
  struct tm local;
  if (now == static_cast<time_t>(-1) || localtime_r(&now, &local) == nullptr) {
    return -1;
  }
  return timestampFromFields(local.tm_year + 1900, local.tm_mon + 1,
                             local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}
