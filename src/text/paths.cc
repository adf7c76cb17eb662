#include "text/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "text/utf8.h"

namespace {

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace

std::string nativePath(TextView path) { return encodeUtf8(path); }

Text textFromNativePath(std::string_view path) { return decodeUtf8(path); }

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

Text folderPart(TextView path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (isSeparator(path[i - 1])) return Text(path.substr(0, i));
  }
  return Text();
}

Text extensionPart(TextView path) {
  for (size_t i = path.size(); i > 0; --i) {
    char16_t c = path[i - 1];
    if (isSeparator(c) || c == u' ') return Text();
    if (c == u'.') {
      bool atStart = i == 1;
      bool afterSeparator = i >= 2 && isSeparator(path[i - 2]);
      if (atStart || afterSeparator) return Text();
      return Text(path.substr(i));
    }
  }
  return Text();
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
  Text path = textFromNativePath(buffer);
  constexpr TextView kLongPathPrefix = u"\\\\?\\";
  if (path.starts_with(kLongPathPrefix)) path.erase(0, kLongPathPrefix.size());
  return path;
}
