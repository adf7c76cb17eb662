// Text files on POSIX systems: opening, reading and writing descriptors, and
// replacing a file so that it is never lost or half written.
//
// A replacement goes one of these ways (see createReplacement in
// text_file.h):
// - Descriptor: the path names one of our open descriptors; write to it.
// - Device: a device or pipe; open it and write to it.
// - NewFile: nothing there yet; an unnamed file (O_TMPFILE) given its name
//   when complete, or where that cannot be done a temporary file renamed
//   into place.
// - Replace: an existing file; a temporary file with the old one's owner,
//   mode, ACL and attributes, flushed, renamed over it, folder flushed.
// - InPlace: an existing file the temporary route cannot stand in for; the
//   whole content collected, then written over it under an exclusive lock.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/openat2.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/temporary_files.h"
#include "platform/text_file.h"
#include "base/wording.h"

enum class Route { Descriptor, Device, NewFile, Replace, InPlace };

struct Replacement {
  Route route = Route::NewFile;
  std::string temporary;  // NewFile, Replace: the temporary file's path
  std::string target;     // the file that is written or replaced
  int32_t slot = -1;      // the temporary file's slot in temporary_files.h
};

TextFile::TextFile() = default;
TextFile::~TextFile() = default;

namespace {

int fdOf(const TextFile& file) { return static_cast<int>(file.native); }

bool isFolder(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

// --- Following a path the way "> path" would ----------------------------

// Where a path leads: a path without any link (its last part may not exist
// yet), or one of this process's open descriptors, or an error.
struct Destination {
  std::string path;
  int descriptor = -1;
  int error = 0;         // an errno value, when not refused
  bool refused = false;  // a link the protected-links rule does not follow
  // What lstat told of path's last name, when the way there looked at it.
  bool looked = false;
  bool exists = false;
  struct stat info = {};
};

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder == "/") return "/" + name;
  return folder + "/" + name;
}

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool allDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The descriptor number when path is /proc/<our pid>/fd/N or
// /proc/<our pid>/task/<tid>/fd/N (which /dev/stdout, /dev/fd/N,
// /proc/self/fd/N and /proc/thread-self/fd/N lead to); -1 otherwise.
int ownDescriptor(const std::string& path) {
  std::vector<std::string> parts = splitPath(path);
  if (path.empty() || path[0] != '/' || parts.size() < 4 ||
      parts[0] != "proc" || parts[1] != std::to_string(getpid())) {
    return -1;
  }
  const bool direct = parts.size() == 4 && parts[2] == "fd";
  const bool task = parts.size() == 6 && parts[2] == "task" &&
                    allDigits(parts[3]) && parts[4] == "fd";
  if (!(direct || task) || !allDigits(parts.back()) ||
      parts.back().size() > 9) {
    return -1;
  }
  return std::stoi(parts.back());
}

// Whether the kernel's fs.protected_symlinks=1 rule lets a link (link is
// what lstat tells of it) in the folder at folder be followed: outside a
// sticky world-writable folder always; inside one only when the link
// belongs to us or to the folder's owner.
bool mayFollow(const std::string& folder, const struct stat& link) {
  struct stat dir;
  if (stat(folder.empty() ? "." : folder.c_str(), &dir) != 0) return true;
  const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
  return !shared || link.st_uid == geteuid() || link.st_uid == dir.st_uid;
}

// Whether path is made of plain names only: no empty name (no "//"), no "."
// and no "..", so that following it name by name without links gives path
// itself.
bool plainNames(const std::string& path) {
  size_t start = path[0] == '/' ? 1 : 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const size_t length = slash - start;
    if (length == 0 || (length == 1 && path[start] == '.') ||
        (length == 2 && path[start] == '.' && path[start + 1] == '.')) {
      return false;
    }
    start = slash + 1;
  }
  return true;
}

// Whether no name on the way to the folder is a symbolic link, as one
// openat2 with RESOLVE_NO_SYMLINKS tells; false also where the system
// cannot tell that way.
bool folderWithoutLinks(const std::string& folder) {
#if defined(SYS_openat2)
  struct open_how how = {};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS;
  const long fd =
      syscall(SYS_openat2, AT_FDCWD, folder.c_str(), &how, sizeof how);
  if (fd < 0) return false;
  close(static_cast<int>(fd));
  return true;
#else
  (void)folder;
  return false;
#endif
}

// The common case in one step: plain names in a folder reached without any
// link; only the last name is looked at (a link there takes the long way,
// followLinks). The same result as the walk name by name, in two system
// calls instead of one per name. True when it settled where.
bool followPlainPath(const std::string& path, Destination& where) {
  const size_t lastSlash = path.rfind('/');
  if (lastSlash == std::string::npos || !plainNames(path) ||
      !folderWithoutLinks(lastSlash == 0 ? "/" : path.substr(0, lastSlash))) {
    return false;
  }
  struct stat info;
  const int looked = lstat(path.c_str(), &info);
  if (looked == 0 && !S_ISLNK(info.st_mode)) {
    where.path = path;
    where.looked = true;
    where.exists = true;
    where.info = info;
    return true;
  }
  if (looked != 0 && errno == ENOENT && ownDescriptor(path) < 0) {
    where.path = path;  // a new file
    where.looked = true;
    return true;
  }
  return false;
}

// What ".." makes of done, a path that holds no link: done without its last
// name, unless a relative path already climbs above its start ("", "..",
// "../.."), which climbs one more; the root stays the root.
std::string parentOf(const std::string& done) {
  if (done == "/") return done;
  const size_t slash = done.rfind('/');
  const std::string last =
      slash == std::string::npos ? done : done.substr(slash + 1);
  if (done.empty() || last == "..") return joinPath(done, "..");
  return slash == std::string::npos ? ""
         : slash == 0               ? "/"
                                    : done.substr(0, slash);
}

// The target of the link at path (info: what lstat told of it) into
// target; false with errno set when it cannot be read.
bool readLinkTarget(const std::string& path, const struct stat& info,
                    std::string& target) {
  target.assign(static_cast<size_t>(info.st_size) + 1, '\0');
  for (;;) {
    const ssize_t got = readlink(path.c_str(), target.data(), target.size());
    if (got < 0) return false;
    if (static_cast<size_t>(got) < target.size()) {
      target.resize(static_cast<size_t>(got));
      return true;
    }
    target.resize(target.size() * 2);  // /proc links report no size
  }
}

// The walk name by name: each name is looked at, a link on the way is
// replaced by its target (at most 40 of them), "." and ".." are taken as
// they come. Fills where as follow() promises.
void followLinks(const std::string& path, Destination& where) {
  std::vector<std::string> pending = splitPath(path);
  std::vector<std::string> stack(pending.rbegin(), pending.rend());
  std::string done = path[0] == '/' ? "/" : "";
  int links = 0;
  while (!stack.empty()) {
    std::string part = std::move(stack.back());
    stack.pop_back();
    if (part == ".") continue;
    if (part == "..") {
      done = parentOf(done);
      continue;
    }
    const bool last = stack.empty();
    const std::string next = joinPath(done, part);
    struct stat info;
    if (lstat(next.c_str(), &info) != 0) {
      if (errno == ENOENT && last && ownDescriptor(next) >= 0) {
        where.error = EBADF;  // /dev/fd/N of a descriptor we do not hold
        return;
      }
      if (errno != ENOENT || !last) {
        where.error = errno;
        return;
      }
      done = next;  // a new file
      where.looked = true;
      break;
    }
    if (!S_ISLNK(info.st_mode)) {
      done = next;
      if (last) {
        where.looked = true;
        where.exists = true;
        where.info = info;
      }
      continue;
    }
    const int descriptor = last ? ownDescriptor(next) : -1;
    if (descriptor >= 0) {
      where.descriptor = descriptor;
      return;
    }
    if (!mayFollow(done, info)) {
      where.refused = true;
      return;
    }
    std::string target;
    if (++links > 40) {
      where.error = ELOOP;
      return;
    }
    if (!readLinkTarget(next, info, target)) {
      where.error = errno;
      return;
    }
    // An absolute link starts over at the root.
    if (!target.empty() && target[0] == '/') done.assign(1, '/');
    std::vector<std::string> parts = splitPath(target);
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
      stack.push_back(*it);
    }
  }
  where.path = done.empty() ? "." : done;
}

// Follows path the way the shell's "> path" would: to the file it names
// with every link on the way replaced by its target (links the
// protected-links rule refuses are not followed), or to one of this
// process's descriptors it names; an empty path or one ending in "/" is an
// error.
Destination follow(const std::string& path) {
  Destination where;
  if (path.empty()) {
    where.error = ENOENT;
  } else if (path.back() == '/') {
    where.error = EISDIR;
  } else if (!followPlainPath(path, where)) {
    followLinks(path, where);
  }
  return where;
}

// --- Temporary files beside the target -----------------------------------

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A temporary name beside the target: "." + name + "." and six random
// letters, the name shortened so that the whole stays within NAME_MAX.
std::string temporaryNameFor(const std::string& target) {
  constexpr size_t kExtra = 8;  // "." before, "." and six letters after
  constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  std::string name = nameOf(target);
  if (name.size() + kExtra > NAME_MAX) name.resize(NAME_MAX - kExtra);
  std::string temporary = joinPath(folderOf(target), "." + name + ".");
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t bits = (static_cast<uint64_t>(now.tv_nsec) << 20) ^
                  (static_cast<uint64_t>(getpid()) << 40) ^
                  (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
  for (int k = 0; k < 6; ++k) {
    temporary.push_back(kLetters[bits % 62]);
    bits /= 62;
  }
  return temporary;
}

// Creates a file of a temporary name in the target's folder and remembers
// it in *slot (temporary_files.h), both inside one TemporaryFileWindow, so
// that an interruption at any moment finds it. It is created as "> path"
// creates a new file (mode 0666 less the umask, the folder's default ACL),
// since that is what a new file must look like. -1 with errno on failure;
// a file that cannot be remembered is removed again (ENOMEM).
int createTemporary(const std::string& target, std::string& temporary,
                    int32_t* slot) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = temporaryNameFor(target);
    const TemporaryFileWindow window;
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    *slot = rememberTemporaryFile(temporary.c_str());
    if (*slot >= 0) return fd;
    close(fd);
    unlink(temporary.c_str());
    errno = ENOMEM;
    return -1;
  }
  return -1;
}

// Whether new files can be written without a name until they are complete:
// an unnamed file (O_TMPFILE) is given its name with linkat through
// /proc/self/fd, which needs /proc.
bool unnamedFilesWork() {
  static const bool work = access("/proc/self/fd", X_OK) == 0;
  return work;
}

// Creates an unnamed file in the target's folder, as "> path" creates a new
// file (mode 0666 less the umask, the folder's default ACL). Nothing of it
// is seen in the folder until linkUnnamed gives it its name, and if the
// program ends first it is gone: there is no temporary file to remove. -1
// when the file system or the system cannot do that.
int createUnnamed(const std::string& target) {
  if (!unnamedFilesWork()) return -1;
  const std::string folder = folderOf(target);
  return open(folder.empty() ? "." : folder.c_str(),
              O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// Gives the unnamed file fd the name target: at once when the name is
// free; when another program took it meanwhile, through a temporary name
// renamed over it, so that the last writer wins as with any replacement.
// false with errno on failure.
bool linkUnnamed(int fd, const std::string& target) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(),
             AT_SYMLINK_FOLLOW) == 0) {
    return true;
  }
  if (errno != EEXIST) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = temporaryNameFor(target);
    int32_t slot = -1;
    {
      // The name is remembered as soon as it exists (temporary_files.h).
      const TemporaryFileWindow window;
      if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(),
                 AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      slot = rememberTemporaryFile(temporary.c_str());
      if (slot < 0) {
        unlink(temporary.c_str());
        errno = ENOMEM;
        return false;
      }
    }
    const bool renamed = rename(temporary.c_str(), target.c_str()) == 0;
    const int error = errno;
    if (!renamed) unlink(temporary.c_str());
    forgetTemporaryFile(slot);
    errno = error;
    return renamed;
  }
  return false;
}

// Gives the temporary file fd everything the file at target has besides its
// content: owner and group, extended attributes (ACLs among them) and mode
// with the setuid, setgid and sticky bits. False when any of that cannot be
// done exactly.
bool keepMetadata(int fd, const std::string& target, const struct stat& old) {
  struct stat now;
  if (fstat(fd, &now) != 0) return false;
  if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
    const uid_t owner =
        now.st_uid == old.st_uid ? static_cast<uid_t>(-1) : old.st_uid;
    const gid_t group =
        now.st_gid == old.st_gid ? static_cast<gid_t>(-1) : old.st_gid;
    if (fchown(fd, owner, group) != 0) return false;
  }
  // Extended attributes: exactly the old file's set, values included.
  std::vector<char> names(1024);
  ssize_t listed;
  while ((listed = llistxattr(target.c_str(), names.data(), names.size())) <
             0 &&
         errno == ERANGE) {
    names.resize(names.size() * 4);
  }
  if (listed < 0 && errno != ENOTSUP) return false;
  std::vector<std::string> oldNames;
  for (ssize_t at = 0; at < listed;) {
    oldNames.emplace_back(names.data() + at);
    at += static_cast<ssize_t>(oldNames.back().size()) + 1;
  }
  std::vector<char> inherited(1024);
  ssize_t had;
  while ((had = flistxattr(fd, inherited.data(), inherited.size())) < 0 &&
         errno == ERANGE) {
    inherited.resize(inherited.size() * 4);
  }
  for (ssize_t at = 0; at < had;) {
    const std::string name(inherited.data() + at);
    at += static_cast<ssize_t>(name.size()) + 1;
    bool kept = false;
    for (const std::string& n : oldNames) kept = kept || n == name;
    if (!kept && fremovexattr(fd, name.c_str()) != 0) return false;
  }
  for (const std::string& name : oldNames) {
    std::vector<char> value(256);
    ssize_t size;
    while ((size = lgetxattr(target.c_str(), name.c_str(), value.data(),
                             value.size())) < 0 &&
           errno == ERANGE) {
      value.resize(value.size() * 4);
    }
    if (size < 0 || fsetxattr(fd, name.c_str(), value.data(),
                              static_cast<size_t>(size), 0) != 0) {
      return false;
    }
  }
  // The mode last: fchown clears setuid and setgid, and the kernel may drop
  // setgid silently, which the check below catches.
  const mode_t mode = old.st_mode & 07777;
  if (fchmod(fd, mode) != 0 || fstat(fd, &now) != 0 ||
      (now.st_mode & 07777) != mode) {
    return false;
  }
  return true;
}

// Takes the exclusive lock on fd, waiting up to 5 seconds for another
// holder to let go.
bool lockWithin5Seconds(int fd) {
  for (int waited = 0;; waited += 50) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK || waited >= 5000) return false;
    const struct timespec pause = {0, 50 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}

FileHandle startInPlace(const std::string& target, Text* reason) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    setReason(reason, systemErrorText(errno));
    return nullptr;
  }
  if (!lockWithin5Seconds(fd)) {
    close(fd);
    setReason(reason, Text(wording::LockedReason));
    return nullptr;
  }
  FileHandle file = adoptNative(fd, true, true);
  file->collecting = true;
  file->replacement = std::make_unique<Replacement>();
  file->replacement->route = Route::InPlace;
  file->replacement->target = target;
  return file;
}

// Writes the collected content over the file: first makes sure it fits (the
// file-size limit, the space on the disk), so that a failure leaves the old
// content whole, then writes it, cuts what is left of the old content and
// flushes.
bool writeInPlace(TextFile& file) {
  const int fd = fdOf(file);
  const std::string& content = file.collected;
  const off_t size = static_cast<off_t>(content.size());
  struct rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(size) > limit.rlim_cur) {
    noteFailure(file, systemErrorText(EFBIG));
    return false;
  }
  if (size > 0 && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
      (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
    noteFailure(file, systemErrorText(errno));
    return false;
  }
  off_t at = 0;
  while (at < size) {
    const ssize_t put =
        pwrite(fd, content.data() + at, static_cast<size_t>(size - at), at);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      noteFailure(file, systemErrorText(put < 0 ? errno : EIO));
      return false;
    }
    at += put;
  }
  if (ftruncate(fd, size) != 0 || fsync(fd) != 0) {
    noteFailure(file, systemErrorText(errno));
    return false;
  }
  return true;
}

// Opens a folder (folderOf's form: empty for the working folder) to flush
// it; -1 with errno set when it cannot be opened.
int openFolder(const std::string& folder) {
  return open(folder.empty() ? "." : folder.c_str(),
              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool syncFolder(const std::string& folder) {
  const int fd = openFolder(folder);
  if (fd < 0) return false;
  // A file system that cannot flush a folder (EINVAL) has nothing to flush.
  const bool ok = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return ok;
}

}  // namespace

// --- Reading ----------------------------------------------------------

bool readChunk(TextFile& file) {
  file.buffer.resize(ReadChunkSize);
  file.next = 0;
  for (;;) {
    ssize_t got = read(fdOf(file), file.buffer.data(), ReadChunkSize);
    if (got > 0) {
      file.buffer.resize(static_cast<size_t>(got));
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A non-blocking descriptor with nothing in it yet: wait for data.
      struct pollfd ready = {fdOf(file), POLLIN, 0};
      if (poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
    }
    if (got < 0) noteFailure(file, systemErrorText(errno));
    file.buffer.clear();
    file.exhausted = true;
    return false;
  }
}

FileHandle openForReading(TextView path, Text* reason) {
  const int fd = open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setReason(reason, systemErrorText(errno));
    return nullptr;
  }
  if (isFolder(fd)) {
    close(fd);
    setReason(reason, systemErrorText(EISDIR));
    return nullptr;
  }
  return adoptNative(fd, false, true);
}

FileHandle openStandardInput(Text* reason) {
  // A closed standard input cannot be read; it is not an empty description.
  if (fcntl(STDIN_FILENO, F_GETFD) < 0) {
    setReason(reason, systemErrorText(errno));
    return nullptr;
  }
  if (isFolder(STDIN_FILENO)) {
    setReason(reason, systemErrorText(EISDIR));
    return nullptr;
  }
  return adoptNative(STDIN_FILENO, false, false);
}

// --- Writing ----------------------------------------------------------

bool writeBytes(TextFile& file, const char* data, size_t size) {
  while (size > 0) {
    ssize_t put = write(fdOf(file), data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd ready = {fdOf(file), POLLOUT, 0};
      if (poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
    }
    if (put <= 0) {
      noteFailure(file, systemErrorText(put < 0 ? errno : EIO));
      return false;
    }
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

FileHandle createForWriting(TextView path) {
  const int fd = open(nativePath(path).c_str(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  if (isFolder(fd)) {
    close(fd);
    return nullptr;
  }
  return adoptNative(fd, true, true);
}

FileHandle attachStandardOutput() {
  return adoptNative(STDOUT_FILENO, true, false);
}

FileHandle createReplacement(TextView path, Text* reason) {
  const Destination where = follow(nativePath(path));
  if (where.refused) {
    setReason(reason, Text(wording::LinkRefusedReason));
    return nullptr;
  }
  if (where.descriptor >= 0) {
    if (fcntl(where.descriptor, F_GETFD) < 0) {
      setReason(reason, systemErrorText(errno));
      return nullptr;
    }
    FileHandle file = adoptNative(where.descriptor, true, false);
    file->replacement = std::make_unique<Replacement>();
    file->replacement->route = Route::Descriptor;
    return file;
  }
  if (where.error != 0) {
    setReason(reason, systemErrorText(where.error));
    return nullptr;
  }
  const std::string& target = where.path;
  struct stat old = where.info;
  const bool exists =
      where.looked ? where.exists : lstat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    setReason(reason, systemErrorText(EISDIR));
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    // A device or pipe is written in place: renaming a file over it would
    // replace the device node itself.
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      setReason(reason, systemErrorText(errno));
      return nullptr;
    }
    FileHandle file = adoptNative(fd, true, true);
    file->replacement = std::make_unique<Replacement>();
    file->replacement->route = Route::Device;
    return file;
  }
  // Another name for the same file would keep the old content.
  if (exists && old.st_nlink > 1) return startInPlace(target, reason);

  if (!exists) {
    const int fd = createUnnamed(target);
    if (fd >= 0) {
      FileHandle file = adoptNative(fd, true, true);
      file->replacement = std::make_unique<Replacement>();
      file->replacement->route = Route::NewFile;  // no temporary name
      file->replacement->target = target;
      return file;
    }
  }
  std::string temporary;
  int32_t slot = -1;
  const int fd = createTemporary(target, temporary, &slot);
  if (fd < 0) {
    // A folder we may not write in may still hold a file we may write.
    if (exists && errno != ENOMEM) return startInPlace(target, reason);
    setReason(reason, systemErrorText(errno));
    return nullptr;
  }
  if (exists && !keepMetadata(fd, target, old)) {
    close(fd);
    unlink(temporary.c_str());
    forgetTemporaryFile(slot);
    return startInPlace(target, reason);
  }
  FileHandle file = adoptNative(fd, true, true);
  file->replacement = std::make_unique<Replacement>();
  file->replacement->route = exists ? Route::Replace : Route::NewFile;
  file->replacement->temporary = temporary;
  file->replacement->target = target;
  file->replacement->slot = slot;
  return file;
}

Status finishWriting(FileHandle file) {
  if (file->writing) flushOutput(*file);
  Replacement* replacement = file->replacement.get();
  const Route route =
      replacement != nullptr ? replacement->route : Route::Descriptor;
  if (route == Route::InPlace && !file->failed) writeInPlace(*file);
  if (route == Route::Replace && !file->failed && fsync(fdOf(*file)) != 0) {
    noteFailure(*file, systemErrorText(errno));
  }
  // An unnamed new file gets its name before it is closed; if the close
  // then fails, the name goes again.
  const bool unnamed =
      route == Route::NewFile && replacement->temporary.empty();
  bool named = false;
  if (unnamed && !file->failed) {
    named = linkUnnamed(fdOf(*file), replacement->target);
    if (!named) noteFailure(*file, systemErrorText(errno));
  }
  if (file->ownsNative && close(fdOf(*file)) != 0) {
    noteFailure(*file, systemErrorText(errno));
    if (named) unlink(replacement->target.c_str());
  }
  if ((route == Route::NewFile && !unnamed) || route == Route::Replace) {
    const char* temporary = replacement->temporary.c_str();
    if (!file->failed && rename(temporary, replacement->target.c_str()) != 0) {
      noteFailure(*file, systemErrorText(errno));
    }
    if (file->failed) unlink(temporary);
    forgetTemporaryFile(replacement->slot);
    if (!file->failed && route == Route::Replace &&
        !syncFolder(folderOf(replacement->target))) {
      noteFailure(*file, systemErrorText(errno));
    }
  }
  Status status;
  if (file->failed) status = Status::error(std::move(file->failure));
  delete file;
  return status;
}

void abandonWriting(FileHandle file) {
  if (file->ownsNative) close(fdOf(*file));
  const Replacement* replacement = file->replacement.get();
  if (replacement != nullptr && !replacement->temporary.empty()) {
    unlink(replacement->temporary.c_str());
    forgetTemporaryFile(replacement->slot);
  }
  delete file;
}

// --- Replacements flushed together ----------------------------------------

struct PendingReplacement {
  std::string temporary;
  std::string target;
  int32_t slot = -1;
  dev_t device = 0;
};

Status finishWritingLater(FileHandle file, PendingReplacement** pending) {
  *pending = nullptr;
  Replacement* replacement = file->replacement.get();
  if (replacement == nullptr || replacement->route != Route::Replace ||
      replacement->slot < 0) {
    return finishWriting(file);
  }
  flushOutput(*file);
  struct stat info;
  if (!file->failed && fstat(fdOf(*file), &info) != 0) {
    noteFailure(*file, systemErrorText(errno));
  }
  if (close(fdOf(*file)) != 0) noteFailure(*file, systemErrorText(errno));
  if (file->failed) {
    unlink(replacement->temporary.c_str());
    forgetTemporaryFile(replacement->slot);
    Status status = Status::error(std::move(file->failure));
    delete file;
    return status;
  }
  auto* waiting = new PendingReplacement;
  waiting->temporary = std::move(replacement->temporary);
  waiting->target = std::move(replacement->target);
  waiting->slot = replacement->slot;
  waiting->device = info.st_dev;
  delete file;
  *pending = waiting;
  return Status();
}

std::vector<Status> commitReplacements(
    const std::vector<PendingReplacement*>& pending) {
  const size_t count = pending.size();
  std::vector<Status> outcomes(count);
  std::vector<int> ok(count, 1);
  std::vector<Text> why(count);
  // One flush per file system, before any rename: after a crash each
  // target holds its old content or its complete new one.
  std::vector<dev_t> flushed;
  for (size_t k = 0; k < count; ++k) {
    const dev_t device = pending[k]->device;
    bool done = false;
    for (dev_t d : flushed) done = done || d == device;
    if (done) continue;
    flushed.push_back(device);
    const int fd = openFolder(folderOf(pending[k]->temporary));
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && syncfs(fd) != 0) error = errno;
    if (fd >= 0) close(fd);
    if (error == 0) continue;
    for (size_t j = k; j < count; ++j) {
      if (pending[j]->device == device) {
        ok[j] = 0;
        why[j] = systemErrorText(error);
      }
    }
  }
  std::vector<std::string> folders;
  std::unordered_set<std::string> seen;
  for (size_t k = 0; k < count; ++k) {
    PendingReplacement& file = *pending[k];
    if (ok[k] && rename(file.temporary.c_str(), file.target.c_str()) != 0) {
      ok[k] = 0;
      why[k] = systemErrorText(errno);
    }
    if (!ok[k]) unlink(file.temporary.c_str());
    forgetTemporaryFile(file.slot);
    if (!ok[k]) continue;
    const std::string folder = folderOf(file.target);
    if (seen.insert(folder).second) folders.push_back(folder);
  }
  // Each folder once, after its renames.
  for (const std::string& folder : folders) {
    if (syncFolder(folder)) continue;
    const Text reason = systemErrorText(errno);
    for (size_t k = 0; k < count; ++k) {
      if (ok[k] && folderOf(pending[k]->target) == folder) {
        ok[k] = 0;
        why[k] = reason;
      }
    }
  }
  for (PendingReplacement* file : pending) delete file;
  for (size_t k = 0; k < count; ++k) {
    if (!ok[k]) outcomes[k] = Status::error(std::move(why[k]));
  }
  return outcomes;
}
