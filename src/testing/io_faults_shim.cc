// A preloadable library (LD_PRELOAD) that makes the system's read and write
// misbehave the way real files, pipes and disks sometimes do, for the
// end-to-end tests of the programs. Without its variables it changes
// nothing. Set in the environment:
//   IO_FAULTS_SHORT_WRITES=N      every write moves at most N bytes
//   IO_FAULTS_WRITE_DELAY_MS=N    every write to a descriptor above 2 first
//                                 waits N ms (a slow disk)
//   IO_FAULTS_READ_EIO_AFTER=N    reads from descriptors above 2 fail with
//                                 EIO once N bytes have been read from them
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

namespace {

long setting(const char* name) {
  const char* value = getenv(name);
  return value == nullptr || *value == '\0' ? -1 : atol(value);
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

std::atomic<long> bytesRead{0};

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  static const long most = setting("IO_FAULTS_SHORT_WRITES");
  static const long delay = setting("IO_FAULTS_WRITE_DELAY_MS");
  if (delay > 0 && fd > 2) {
    struct timespec pause = {delay / 1000, (delay % 1000) * 1000000};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
  }
  if (most > 0 && size > static_cast<size_t>(most)) {
    size = static_cast<size_t>(most);
  }
  return real(fd, data, size);
}

extern "C" ssize_t read(int fd, void* data, size_t size) {
  static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
  static const long limit = setting("IO_FAULTS_READ_EIO_AFTER");
  if (limit >= 0 && fd > 2) {
    if (bytesRead.load() >= limit) {
      errno = EIO;
      return -1;
    }
    const ssize_t got = real(fd, data, size);
    if (got > 0) bytesRead += got;
    return got;
  }
  return real(fd, data, size);
}
