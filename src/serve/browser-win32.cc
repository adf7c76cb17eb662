#include "serve/browser.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/system_error.h"

Status openInBrowser(const Text& address) {
  // ShellExecuteW answers a number above 32 when the shell took the address.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      nullptr, L"open", reinterpret_cast<const wchar_t*>(address.c_str()),
      nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) return Status();
  return Status::error(systemErrorText(static_cast<int64_t>(GetLastError())));
}
