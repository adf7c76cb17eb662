// Removing temporary files on SIGINT, SIGTERM and SIGHUP; SIGXFSZ ignored.
//
// The handler may run at any moment on any thread, so the files live in
// fixed slots, each claimed and released with an atomic state, and the
// handler uses only async-signal-safe calls (unlink, sigaction, raise).
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <new>

#include "platform/temporary_files.h"

namespace {

// The slots come in blocks; a block is added when all are taken (a batch
// may hold a temporary file per output until it renames them all), linked
// with an atomic pointer so the handler can walk them at any moment. Blocks
// are never freed.
constexpr int kSlots = 64;
enum : int { kFree = 0, kClaimed = 1, kHeld = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
struct Block {
  Slot slots[kSlots];
  std::atomic<Block*> next{nullptr};
};
Block first;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Windows open (TemporaryFileWindow), and whether a handler has begun.
std::atomic<int> openWindows{0};
std::atomic<bool> ending{false};

void onInterrupt(int signal) {
  // A window open on another thread is about to remember its file: wait for
  // it (this thread has none open, since a window blocks the signals). Any
  // window opened from now on stays open until the program ends.
  ending.store(true);
  while (openWindows.load() != 0) {
    const struct timespec pause = {0, 100 * 1000};
    nanosleep(&pause, nullptr);
  }
  for (Block* block = &first; block != nullptr; block = block->next.load()) {
    for (Slot& slot : block->slots) {
      if (slot.state.load() == kHeld) unlink(slot.path);
    }
  }
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

}  // namespace

void guardTemporaryFiles() {
  static const bool installed = [] {
    for (int signal : kSignals) {
      struct sigaction current = {};
      if (sigaction(signal, nullptr, &current) == 0 &&
          current.sa_handler == SIG_IGN) {
        continue;  // nohup and background jobs keep their interruptions off
      }
      struct sigaction handler = {};
      handler.sa_handler = onInterrupt;
      sigemptyset(&handler.sa_mask);
      for (int other : kSignals) sigaddset(&handler.sa_mask, other);
      sigaction(signal, &handler, nullptr);
    }
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
    return true;
  }();
  (void)installed;
}

int32_t rememberTemporaryFile(const char* path) {
  const size_t length = strlen(path);
  if (length >= PATH_MAX) return -1;
  int32_t base = 0;
  for (Block* block = &first;;) {
    for (int32_t k = 0; k < kSlots; ++k) {
      Slot& slot = block->slots[k];
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kClaimed)) continue;
      memcpy(slot.path, path, length + 1);
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
  sigset_t block;
  sigemptyset(&block);
  for (int signal : kSignals) sigaddset(&block, signal);
  pthread_sigmask(SIG_BLOCK, &block, &savedMask_);
  openWindows.fetch_add(1);
  // A handler that began before this window opened may not wait for it: the
  // file must not be created. The handler ends the program shortly.
  if (!ending.load()) return;
  // The handler waits for no window but those open before it began.
  openWindows.fetch_sub(1);
  for (;;) pause();
}

TemporaryFileWindow::~TemporaryFileWindow() {
  openWindows.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
}

void removeRememberedTemporaryFiles() {
  int32_t base = 0;
  for (Block* block = &first; block != nullptr; block = block->next.load()) {
    for (int32_t k = 0; k < kSlots; ++k) {
      if (block->slots[k].state.load() != kHeld) continue;
      unlink(block->slots[k].path);
      forgetTemporaryFile(base + k);
    }
    base += kSlots;
  }
}
