#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "base/utf8.h"
#include "platform/filter_program.h"
#include "platform/system_error.h"

extern char** environ;

namespace {

constexpr size_t kMostErrors = 16 * 1024;

// One end of a pipe, closed however the run ends.
class Descriptor {
 public:
  Descriptor() = default;
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool open() const { return fd_ >= 0; }
  void set(int fd) {
    reset();
    fd_ = fd;
  }
  void reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// Both ends of a new close-on-exec pipe; false with errno set on failure.
bool makePipe(Descriptor& readEnd, Descriptor& writeEnd) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  readEnd.set(ends[0]);
  writeEnd.set(ends[1]);
  return true;
}

class FileActions {
 public:
  FileActions() { ready_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~FileActions() {
    if (ready_) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  bool ready() const { return ready_; }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ready_ = false;
};

class Attributes {
 public:
  Attributes() { ready_ = posix_spawnattr_init(&attributes_) == 0; }
  ~Attributes() {
    if (ready_) posix_spawnattr_destroy(&attributes_);
  }
  Attributes(const Attributes&) = delete;
  Attributes& operator=(const Attributes&) = delete;
  bool ready() const { return ready_; }
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
  bool ready_ = false;
};

// The started helper: killed and reaped if the run is left early (memory
// running out while its output is handed on), reaped by wait otherwise.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  void wait(FilterOutcome& outcome) {
    int status = 0;
    pid_t done;
    do {
      done = waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    pid_ = 0;
    if (done < 0) return;
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  }

 private:
  pid_t pid_;
};

// SIGPIPE blocked on this thread while the helper's input is written; one
// raised by a write to a helper that has gone is taken back, so it never
// reaches the process.
class PipeSignalBlock {
 public:
  PipeSignalBlock() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &previous_);
    wasBlocked_ = sigismember(&previous_, SIGPIPE) == 1;
  }
  ~PipeSignalBlock() {
    if (wasBlocked_) return;
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      const struct timespec now = {0, 0};
      while (sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  PipeSignalBlock(const PipeSignalBlock&) = delete;
  PipeSignalBlock& operator=(const PipeSignalBlock&) = delete;

 private:
  sigset_t previous_;
  bool wasBlocked_ = false;
};

// Reads what is there from fd; false at its end or on an error.
bool readSome(int fd, std::string& buffer) {
  buffer.resize(64 * 1024);
  ssize_t got;
  do {
    got = read(fd, buffer.data(), buffer.size());
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    buffer.clear();
    return false;
  }
  buffer.resize(static_cast<size_t>(got));
  return true;
}

}  // namespace

FilterOutcome runFilterProgram(
    const std::string& path, const std::vector<std::string>& args,
    std::string_view input,
    const std::function<void(std::string_view)>& output) {
  FilterOutcome outcome;
  auto notStarted = [&](int code) {
    outcome.startReason = systemErrorText(code);
    return outcome;
  };
  Descriptor inRead, inWrite, outRead, outWrite, errRead, errWrite;
  if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite) ||
      !makePipe(errRead, errWrite)) {
    return notStarted(errno);
  }
  FileActions actions;
  Attributes attributes;
  if (!actions.ready() || !attributes.ready()) return notStarted(ENOMEM);
  int code = posix_spawn_file_actions_adddup2(actions.get(), inRead.get(), 0);
  if (code == 0) {
    code = posix_spawn_file_actions_adddup2(actions.get(), outWrite.get(), 1);
  }
  if (code == 0) {
    code = posix_spawn_file_actions_adddup2(actions.get(), errWrite.get(), 2);
  }
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  if (code == 0) code = posix_spawnattr_setsigmask(attributes.get(), &none);
  if (code == 0) {
    code = posix_spawnattr_setsigdefault(attributes.get(), &defaults);
  }
  if (code == 0) {
    code = posix_spawnattr_setflags(
        attributes.get(),
        static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
  }
  if (code != 0) return notStarted(code);
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  code = posix_spawn(&pid, path.c_str(), actions.get(), attributes.get(),
                     argv.data(), environ);
  if (code != 0) return notStarted(code);
  outcome.started = true;
  Child child(pid);
  inRead.reset();
  outWrite.reset();
  errWrite.reset();

  PipeSignalBlock noPipeSignal;
  fcntl(inWrite.get(), F_SETFL, fcntl(inWrite.get(), F_GETFL) | O_NONBLOCK);
  size_t sent = 0;
  if (input.empty()) inWrite.reset();
  std::string buffer;
  while (inWrite.open() || outRead.open() || errRead.open()) {
    struct pollfd watched[3];
    nfds_t count = 0;
    const auto watch = [&](const Descriptor& d, short events) {
      if (d.open()) watched[count++] = {d.get(), events, 0};
    };
    watch(inWrite, POLLOUT);
    watch(outRead, POLLIN);
    watch(errRead, POLLIN);
    if (poll(watched, count, -1) < 0) {
      if (errno == EINTR) continue;
      // Cannot wait on the pipes: the helper is stopped (by child) and
      // the reason is this one.
      outcome.errors = encodeUtf8(systemErrorText(errno));
      return outcome;
    }
    for (nfds_t i = 0; i < count; ++i) {
      const struct pollfd& w = watched[i];
      if (w.revents == 0) continue;
      if (w.fd == inWrite.get()) {
        const ssize_t put =
            write(w.fd, input.data() + sent, input.size() - sent);
        if (put > 0) sent += static_cast<size_t>(put);
        // The helper has gone or closed its input (EPIPE): what it says
        // and its exit status tell the rest.
        if (sent == input.size() ||
            (put < 0 && errno != EINTR && errno != EAGAIN)) {
          inWrite.reset();
        }
      } else if (w.fd == outRead.get()) {
        if (readSome(w.fd, buffer)) {
          output(buffer);
        } else {
          outRead.reset();
        }
      } else if (w.fd == errRead.get()) {
        if (readSome(w.fd, buffer)) {
          const size_t room = kMostErrors - outcome.errors.size();
          outcome.errors.append(buffer, 0, std::min(room, buffer.size()));
        } else {
          errRead.reset();
        }
      }
    }
  }
  child.wait(outcome);
  return outcome;
}
