// Removing temporary files on SIGINT, SIGTERM and SIGHUP; SIGXFSZ ignored.
//
// The handler may run at any moment on any thread, so the files live in a
// fixed table of slots, each claimed and released with an atomic state, and
// the handler uses only async-signal-safe calls (unlink, sigaction, raise).
#include <limits.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

#include "text/temporary_files.h"

namespace {

constexpr int kSlots = 64;
enum : int { kFree = 0, kClaimed = 1, kHeld = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onInterrupt(int signal) {
  for (Slot& slot : slots) {
    if (slot.state.load() == kHeld) unlink(slot.path);
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
  for (int32_t k = 0; k < kSlots; ++k) {
    int expected = kFree;
    if (!slots[k].state.compare_exchange_strong(expected, kClaimed)) continue;
    memcpy(slots[k].path, path, length + 1);
    slots[k].state.store(kHeld);
    return k;
  }
  return -1;
}

void forgetTemporaryFile(int32_t slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree);
}
