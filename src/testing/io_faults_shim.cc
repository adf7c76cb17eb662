// A preloadable library (LD_PRELOAD) that makes the system's read and write
// misbehave the way real files, pipes and disks sometimes do, for the
// end-to-end tests of the programs. Without its variables it changes
// nothing. Set in the environment:
//   IO_FAULTS_SHORT_WRITES=N      every write moves at most N bytes
//   IO_FAULTS_WRITE_DELAY_MS=N    every write to a descriptor above 2 first
//                                 waits N ms (a slow disk)
//   IO_FAULTS_READ_EIO_AFTER=N    reads from descriptors above 2 fail with
//                                 EIO once N bytes have been read from them
//   IO_FAULTS_CREATE_DELAY_MS=N   an open that creates a file exclusively
//                                 (O_CREAT | O_EXCL) waits N ms once it has
//                                 (a slow file system between a new name
//                                 and whatever the program does next)
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
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

namespace {

void pauseAfterCreating(int fd, int flags) {
  static const long delay = setting("IO_FAULTS_CREATE_DELAY_MS");
  if (delay <= 0 || fd < 0 ||
      (flags & (O_CREAT | O_EXCL)) != (O_CREAT | O_EXCL))
    return;
  const int saved = errno;
  struct timespec pause = {delay / 1000, (delay % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
  errno = saved;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  static const auto real = next<int (*)(const char*, int, ...)>("open");
  mode_t mode = 0;
  if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  const int fd = real(path, flags, mode);
  pauseAfterCreating(fd, flags);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  static const auto real = next<int (*)(const char*, int, ...)>("open64");
  mode_t mode = 0;
  if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  const int fd = real(path, flags, mode);
  pauseAfterCreating(fd, flags);
  return fd;
}
