// File information and names on POSIX systems.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/paths.h"
#include "base/utf8.h"

namespace {

FileIdentity identityFrom(int status, const struct stat& info) {
  FileIdentity identity;
  if (status == 0 && S_ISREG(info.st_mode)) {
    identity.device = static_cast<uint64_t>(info.st_dev);
    identity.file = static_cast<uint64_t>(info.st_ino);
    identity.known = true;
  }
  return identity;
}

FileIdentity identityOfDescriptor(int fd) {
  struct stat info;
  int status = fstat(fd, &info);
  return identityFrom(status, info);
}

}  // namespace

std::string nativePath(TextView path) { return encodeUtf8Escaped(path); }

Text textFromNativePath(std::string_view path) {
  return decodeUtf8Escaped(path);
}

int64_t fileSizeOf(TextView path) {
  size_t length = path.size();
  while (length > 0 && isSeparator(path[length - 1])) --length;
  if (length == 0) return -1;
  struct stat info;
  if (stat(nativePath(path.substr(0, length)).c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return -2;
  return static_cast<int64_t>(info.st_size);
}

int32_t fileAttributesOf(TextView path) {
  if (path.empty()) return -1;
  struct stat info;
  if (stat(nativePath(path).c_str(), &info) != 0) return -1;
  int32_t flags = 0;
  if (S_ISDIR(info.st_mode)) flags |= FolderAttribute;
  if ((info.st_mode & 0222) == 0) flags |= 1;  // read-only
  return flags;
}

Text programPath() {
  std::string buffer(256, '\0');
  for (;;) {
    ssize_t got = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (got < 0) return Text();
    if (static_cast<size_t>(got) < buffer.size()) {
      buffer.resize(static_cast<size_t>(got));
      break;
    }
    buffer.resize(buffer.size() * 2);  // never cut a long path short
  }
  return textFromNativePath(buffer);
}

FileIdentity identityOf(TextView path) {
  struct stat info;
  int status = stat(nativePath(path).c_str(), &info);
  return identityFrom(status, info);
}

OutputPlace placeOf(TextView path) {
  OutputPlace place;
  std::string native = nativePath(path);
  // A link that leads nowhere yet makes the file it points to.
  for (int links = 0; links < 40; ++links) {
    struct stat info;
    if (lstat(native.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
    const ssize_t got = readlink(native.c_str(), target.data(), target.size());
    if (got <= 0 || static_cast<size_t>(got) >= target.size()) break;
    target.resize(static_cast<size_t>(got));
    if (target[0] != '/') {
      const size_t slash = native.rfind('/');
      if (slash != std::string::npos)
        target = native.substr(0, slash + 1) + target;
    }
    native = std::move(target);
  }
  const size_t slash = native.rfind('/');
  const std::string name =
      slash == std::string::npos ? native : native.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                          : native.substr(0, slash);
  struct stat info;
  if (name.empty() || stat(folder.c_str(), &info) != 0 ||
      !S_ISDIR(info.st_mode)) {
    return place;
  }
  place.folder.device = static_cast<uint64_t>(info.st_dev);
  place.folder.file = static_cast<uint64_t>(info.st_ino);
  place.folder.known = true;
  place.name = textFromNativePath(name);
  return place;
}

FileIdentity identityOfStandardInput() {
  return identityOfDescriptor(STDIN_FILENO);
}

FileIdentity identityOfStandardOutput() {
  return identityOfDescriptor(STDOUT_FILENO);
}
