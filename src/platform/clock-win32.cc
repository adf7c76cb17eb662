// The local clock on Windows.
#include <windows.h>

#include "platform/clock.h"

Timestamp currentTime() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  return timestampFromFields(local.wYear, local.wMonth, local.wDay, local.wHour,
                             local.wMinute, local.wSecond);
}
