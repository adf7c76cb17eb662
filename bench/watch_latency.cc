// The time from saving a description to its new SVG in place, under
// flowsvg --watch: starts the watch on FOLDER/plan.txt (a copy of
// DESCRIPTION) writing FOLDER/plan.svg, then saves the description SAVES
// times the way editors do (a new file renamed over the old one, a pause
// between saves) and times each from the rename to the SVG in place (renamed
// over the old one, or at first linked in as a new file), as inotify on the
// folder reports it. Ends the watch with SIGINT.
// Prints the median, minimum and maximum in microseconds.
//
//   watch_latency FLOWSVG DESCRIPTION FOLDER SAVES
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "latency_support.h"

extern char** environ;

namespace {

// Waits up to timeoutMs for name to be renamed or linked into the watched
// folder.
bool waitForRename(int inotify, const std::string& name, int timeoutMs) {
  alignas(struct inotify_event) char events[16384];
  const double deadline = now() + timeoutMs * 1000.0;
  for (;;) {
    const double left = deadline - now();
    if (left <= 0) return false;
    struct pollfd ready = {inotify, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left / 1000) + 1) <= 0) continue;
    const ssize_t size = read(inotify, events, sizeof events);
    for (ssize_t at = 0; at < size;) {
      const auto* event =
          reinterpret_cast<const struct inotify_event*>(events + at);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
      if (event->len > 0 && name == event->name) return true;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: watch_latency FLOWSVG DESCRIPTION FOLDER SAVES\n");
    return 64;
  }
  const std::string folder = argv[3];
  const int saves = std::atoi(argv[4]);
  std::ifstream in(argv[2], std::ios::binary);
  const std::string description{std::istreambuf_iterator<char>(in), {}};
  const std::string input = folder + "/plan.txt";
  const std::string output = folder + "/plan.svg";
  std::remove(output.c_str());
  if (!writeFile(input, description)) return 1;

  const int inotify = inotify_init1(IN_CLOEXEC);
  if (inotify_add_watch(inotify, folder.c_str(), IN_MOVED_TO | IN_CREATE) < 0) {
    return 1;
  }
  std::vector<char*> args = {argv[1],
                             const_cast<char*>("-q"),
                             const_cast<char*>("--watch"),
                             const_cast<char*>(input.c_str()),
                             const_cast<char*>(output.c_str()),
                             nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  posix_spawnattr_setsigdefault(&attributes, &interrupt);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t watcher;
  if (posix_spawn(&watcher, argv[1], nullptr, &attributes, args.data(),
                  environ) != 0) {
    return 1;
  }
  if (!waitForRename(inotify, "plan.svg", 10000)) {
    std::fprintf(stderr, "the first conversion did not come\n");
    kill(watcher, SIGKILL);
    return 1;
  }
  std::vector<double> micros;
  for (int save = 1; save <= saves; ++save) {
    const std::string saving = input + ".saving";
    if (!writeFile(saving,
                   description + "# save " + std::to_string(save) + "\r\n")) {
      return 1;
    }
    usleep(50 * 1000);
    const double start = now();
    if (rename(saving.c_str(), input.c_str()) != 0) return 1;
    if (!waitForRename(inotify, "plan.svg", 10000)) {
      std::fprintf(stderr, "save %d gave no new SVG\n", save);
      kill(watcher, SIGKILL);
      return 1;
    }
    micros.push_back(now() - start);
  }
  kill(watcher, SIGINT);
  int status = 0;
  waitpid(watcher, &status, 0);
  printMedianMinMax("", micros);
  return 0;
}
