// Removing temporary files on Windows when the console asks the program to
// stop: Ctrl+C, Ctrl+Break, closing the console window, logging off or
// shutting down.
//
// The console runs the handler on a thread of its own at any moment, so the
// files live in slots, each claimed and released with an atomic state, in
// blocks linked with an atomic pointer (a block is added when all are
// taken, and never freed). A temporary file is open with FILE_SHARE_DELETE
// while it is written, so DeleteFileW succeeds even then: the file
// disappears when the process ends and its handle closes.
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <new>

#include "platform/temporary_files.h"

namespace {

constexpr int kSlots = 64;
// The longest path the Win32 API takes, with its terminating 0.
constexpr size_t kPathUnits = 32768;
enum : int { kFree = 0, kClaimed = 1, kHeld = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  wchar_t path[kPathUnits];
};
struct Block {
  Slot slots[kSlots];
  std::atomic<Block*> next{nullptr};
};
Block first;

// Windows open (TemporaryFileWindow), and whether the handler has begun.
std::atomic<int> openWindows{0};
std::atomic<bool> ending{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
  (void)event;  // every event the handler gets ends the program
  // A window open on another thread is about to remember its file.
  ending.store(true);
  while (openWindows.load() != 0) Sleep(0);
  for (Block* block = &first; block != nullptr; block = block->next.load()) {
    for (Slot& slot : block->slots) {
      if (slot.state.load() == kHeld) DeleteFileW(slot.path);
    }
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
  int32_t base = 0;
  for (Block* block = &first;;) {
    for (int32_t k = 0; k < kSlots; ++k) {
      Slot& slot = block->slots[k];
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kClaimed)) continue;
      wmemcpy(slot.path, path, length + 1);
      slot.state.store(kHeld);
      return base + k;
    }
    Block* next = block->next.load();
    if (next == nullptr) {
      Block* fresh = new (std::nothrow) Block;
      if (fresh == nullptr) return -1;
      if (block->next.compare_exchange_strong(next, fresh)) {
        next = fresh;
      } else {
        delete fresh;  // another thread linked one first; next holds it
      }
    }
    block = next;
    base += kSlots;
  }
}

void forgetTemporaryFile(int32_t slot) {
  if (slot < 0) return;
  Block* block = &first;
  for (; slot >= kSlots && block != nullptr; slot -= kSlots) {
    block = block->next.load();
  }
  if (block != nullptr) block->slots[slot].state.store(kFree);
}

TemporaryFileWindow::TemporaryFileWindow() {
  openWindows.fetch_add(1);
  // The handler has begun and will not wait for this window: the file must
  // not be created. The process ends shortly.
  if (!ending.load()) return;
  // The handler waits for no window but those open before it began.
  openWindows.fetch_sub(1);
  for (;;) Sleep(INFINITE);
}

TemporaryFileWindow::~TemporaryFileWindow() { openWindows.fetch_sub(1); }

void removeRememberedTemporaryFiles() {
  int32_t base = 0;
  for (Block* block = &first; block != nullptr; block = block->next.load()) {
    for (int32_t k = 0; k < kSlots; ++k) {
      if (block->slots[k].state.load() != kHeld) continue;
      DeleteFileW(block->slots[k].path);
      forgetTemporaryFile(base + k);
    }
    base += kSlots;
  }
}
