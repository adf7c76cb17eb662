// Watching description folders with inotify (Linux). While waiting, the
// ending signals are blocked and read from a signalfd, so that one arriving
// then ends the watch through the caller; outside the wait they keep the
// handlers of temporary_files.h.
#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <string>

#include "platform/watch.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace {

// One name watched in one folder, for the file it stands for.
struct WatchedName {
  int folder;  // the inotify watch descriptor of the folder; -1 while gone
  std::string folderPath;
  std::string name;
  size_t file;
};

// What is asked of inotify about each folder: a file closed after writing
// or renamed into it, and the folder itself removed or renamed away.
constexpr uint32_t kFolderEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// While a folder is gone, it is looked for again this often.
constexpr int kLookAgainMs = 1000;

void splitPath(const std::string& path, std::string& folder,
               std::string& name) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
  } else {
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
  }
}

}  // namespace

struct DescriptionWatch {
  int inotify = -1;
  int signals = -1;
  int interrupt = -1;  // an eventfd that interruptWatch makes readable
  sigset_t mask;
  size_t files = 0;
  std::vector<WatchedName> names;
};


namespace {

// Adds the folder of path to the watch; false with errno on failure.
bool watchFolderOf(DescriptionWatch& watch, const std::string& path,
                   size_t file, std::string& failedFolder) {
  std::string folder;
  std::string name;
  splitPath(path, folder, name);
  const int wd = inotify_add_watch(watch.inotify, folder.c_str(), kFolderEvents);
  if (wd < 0) {
    failedFolder = folder;
    return false;
  }
  watch.names.push_back({wd, folder, name, file});
  return true;
}

// Forgets the watch descriptor wd of a folder that is gone (removed, or
// renamed away); its files count as changed, so that a conversion says they
// are missing. True when wd was one of ours.
bool folderGone(DescriptionWatch& watch, int wd, std::vector<char>& changed) {
  bool ours = false;
  for (WatchedName& watched : watch.names) {
    if (watched.folder != wd) continue;
    watched.folder = -1;
    changed[watched.file] = 1;
    ours = true;
  }
  return ours;
}

// Watches again each folder that was gone and is back; its files count as
// changed, since they may have been saved before the watch began. True when
// one came back.
bool lookForGoneFolders(DescriptionWatch& watch, std::vector<char>& changed) {
  bool back = false;
  for (WatchedName& watched : watch.names) {
    if (watched.folder >= 0) continue;
    const int wd = inotify_add_watch(watch.inotify,
                                     watched.folderPath.c_str(), kFolderEvents);
    if (wd < 0) continue;
    for (WatchedName& other : watch.names) {
      if (other.folder < 0 && other.folderPath == watched.folderPath) {
        other.folder = wd;
        changed[other.file] = 1;
      }
    }
    back = true;
  }
  return back;
}

bool anyFolderGone(const DescriptionWatch& watch) {
  for (const WatchedName& watched : watch.names) {
    if (watched.folder < 0) return true;
  }
  return false;
}

}  // namespace

DescriptionWatch* startWatch(const std::vector<Text>& files, Text* folder,
                             Text* reason, WatchSignals signals) {
  auto* watch = new (std::nothrow) DescriptionWatch;
  if (watch == nullptr) {
    if (folder != nullptr) folder->clear();
    if (reason != nullptr) *reason = outOfMemoryReason();
    return nullptr;
  }
  watch->files = files.size();
  sigemptyset(&watch->mask);
  // A watch that leaves the signals alone waits with an empty set of them.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (signals == WatchSignals::Left) break;
    struct sigaction current = {};
    if (sigaction(signal, nullptr, &current) == 0 &&
        current.sa_handler == SIG_IGN) {
      continue;  // nohup and background jobs keep their interruptions off
    }
    sigaddset(&watch->mask, signal);
  }
  watch->inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch->inotify >= 0) {
    watch->signals = signalfd(-1, &watch->mask, SFD_CLOEXEC | SFD_NONBLOCK);
  }
  if (watch->signals >= 0) {
    watch->interrupt = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  }
  std::string failed = ".";
  bool ok = watch->inotify >= 0 && watch->signals >= 0 && watch->interrupt >= 0;
  for (size_t k = 0; ok && k < files.size(); ++k) {
    const std::string path = nativePath(files[k]);
    ok = watchFolderOf(*watch, path, k, failed);
    struct stat info;
    if (ok && lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
      // Saving through a link replaces the file it points to.
      char* target = realpath(path.c_str(), nullptr);
      if (target != nullptr) {
        ok = watchFolderOf(*watch, target, k, failed);
        free(target);
      }
    }
  }
  if (ok) return watch;
  if (reason != nullptr) *reason = systemErrorText(errno);
  if (folder != nullptr) *folder = textFromNativePath(failed);
  endWatch(watch);
  return nullptr;
}

WatchResult waitForChanges(DescriptionWatch* watch, std::vector<char>* changed,
                           int* signal, Text* reason) {
  changed->assign(watch->files, 0);
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &watch->mask, &before);
  bool any = false;
  alignas(struct inotify_event) char events[64 * 1024];
  for (;;) {
    struct pollfd ready[3] = {{watch->signals, POLLIN, 0},
                              {watch->inotify, POLLIN, 0},
                              {watch->interrupt, POLLIN, 0}};
    // Once a change is in, only what is already waiting is taken; while a
    // folder is gone, it is looked for once a second.
    const int got = poll(ready, 3,
                         any                     ? 0
                         : anyFolderGone(*watch) ? kLookAgainMs
                                                 : -1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (reason != nullptr) *reason = systemErrorText(errno);
      pthread_sigmask(SIG_SETMASK, &before, nullptr);
      return WatchResult::Failed;
    }
    struct signalfd_siginfo info;
    if ((ready[0].revents & POLLIN) &&
        read(watch->signals, &info, sizeof info) == sizeof info) {
      // The signal stays blocked: endAsSignalled raises it again.
      *signal = static_cast<int>(info.ssi_signo);
      return WatchResult::Stopped;
    }
    if (ready[2].revents & POLLIN) {
      // Left readable: every later wait stops at once too.
      pthread_sigmask(SIG_SETMASK, &before, nullptr);
      *signal = 0;
      return WatchResult::Stopped;
    }
    if (got == 0) {
      if (any) break;  // nothing more waiting after a change
      any = lookForGoneFolders(*watch, *changed);
      continue;
    }
    if (!(ready[1].revents & POLLIN)) continue;
    for (;;) {
      const ssize_t size = read(watch->inotify, events, sizeof events);
      if (size <= 0) break;
      for (ssize_t at = 0; at < size;) {
        const auto* event =
            reinterpret_cast<const struct inotify_event*>(events + at);
        at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
        if (event->mask & IN_Q_OVERFLOW) {
          // Events were lost: every file may have changed.
          changed->assign(watch->files, 1);
          any = true;
          continue;
        }
        if (event->mask & IN_MOVE_SELF) {
          // Renamed away: the path names another folder, or none, now.
          inotify_rm_watch(watch->inotify, event->wd);
          any = folderGone(*watch, event->wd, *changed) || any;
          continue;
        }
        if (event->mask & IN_IGNORED) {  // removed, or its file system gone
          any = folderGone(*watch, event->wd, *changed) || any;
          continue;
        }
        if (event->len == 0) continue;
        const std::string name(event->name);
        for (const WatchedName& watched : watch->names) {
          if (watched.folder == event->wd && watched.name == name) {
            (*changed)[watched.file] = 1;
            any = true;
          }
        }
      }
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return WatchResult::Changed;
}

void interruptWatch(DescriptionWatch* watch) {
  const uint64_t one = 1;
  // Fails only when the counter is full, which leaves it readable anyway.
  (void)!write(watch->interrupt, &one, sizeof one);
}

void endWatch(DescriptionWatch* watch) {
  if (watch->interrupt >= 0) close(watch->interrupt);
  if (watch->inotify >= 0) close(watch->inotify);
  if (watch->signals >= 0) close(watch->signals);
  delete watch;
}

void endAsSignalled(int signal) {
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  raise(signal);  // pending while blocked, delivered at the unblock
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  _exit(128 + signal);
}
