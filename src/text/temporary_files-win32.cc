// Removing temporary files on Windows when the console asks the program to
// stop: Ctrl+C, Ctrl+Break, closing the console window, logging off or
// shutting down.
//
// The console runs the handler on a thread of its own at any moment, so the
// files live in a fixed table of slots, each claimed and released with an
// atomic state. A temporary file is open with FILE_SHARE_DELETE while it is
// written, so DeleteFileW succeeds even then: the file disappears when the
// process ends and its handle closes.
#include <windows.h>

#include <atomic>
#include <cwchar>

#include "text/temporary_files.h"

namespace {

constexpr int kSlots = 64;
// The longest path the Win32 API takes, with its terminating 0.
constexpr size_t kPathUnits = 32768;
enum : int { kFree = 0, kClaimed = 1, kHeld = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  wchar_t path[kPathUnits];
};
Slot slots[kSlots];

BOOL WINAPI onConsoleEvent(DWORD event) {
  (void)event;  // every event the handler gets ends the program
  for (Slot& slot : slots) {
    if (slot.state.load() == kHeld) DeleteFileW(slot.path);
  }
  // Not handled: the system's default handler ends the process as the
  // event would have (exit status STATUS_CONTROL_C_EXIT for Ctrl+C).
  return FALSE;
}

}  // namespace

void guardTemporaryFiles() {
  static const bool installed = [] {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    return true;
  }();
  (void)installed;
}

int32_t rememberTemporaryFile(const wchar_t* path) {
  const size_t length = wcslen(path);
  if (length >= kPathUnits) return -1;
  for (int32_t k = 0; k < kSlots; ++k) {
    int expected = kFree;
    if (!slots[k].state.compare_exchange_strong(expected, kClaimed)) continue;
    wmemcpy(slots[k].path, path, length + 1);
    slots[k].state.store(kHeld);
    return k;
  }
  return -1;
}

void forgetTemporaryFile(int32_t slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree);
}
