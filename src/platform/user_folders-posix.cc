#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/user_folders.h"
#include "platform/paths.h"

namespace {

bool isFolder(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

std::string withSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// $HOME, or the password database's home of this user when it is unset.
std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  const passwd* entry = getpwuid(geteuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return std::string();
}

// The value of a user-dirs.dirs assignment as the shell that sources the
// file reads it: double quotes, backslash escapes inside them, and a leading
// "$HOME" (or "${HOME}") standing for the home folder. Empty for a value
// that is neither absolute nor under $HOME, which the format does not allow.
std::string userDirValue(std::string_view raw, const std::string& home) {
  std::string value;
  if (!raw.empty() && raw.front() == '"') {
    for (size_t i = 1; i < raw.size() && raw[i] != '"'; ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
  } else {
    value = std::string(raw.substr(0, raw.find_first_of(" \t#")));
  }
  for (std::string_view variable : {"$HOME", "${HOME}"}) {
    if (value.compare(0, variable.size(), variable) == 0 &&
        (value.size() == variable.size() || value[variable.size()] == '/')) {
      if (home.empty()) return std::string();
      return home + value.substr(variable.size());
    }
  }
  return !value.empty() && value.front() == '/' ? value : std::string();
}

// The folder XDG_DOCUMENTS_DIR names in the user-dirs file; empty when the
// file or the line is missing. A later line wins, as when sourced.
std::string documentsEntry(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string file;
  if (config != nullptr && config[0] == '/') {
    file = config;
  } else if (!home.empty()) {
    file = home + "/.config";
  } else {
    return std::string();
  }
  std::ifstream in(file + "/user-dirs.dirs", std::ios::binary);
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    const std::string_view rest = std::string_view(line).substr(start);
    if (rest.compare(0, kKey.size(), kKey) != 0) continue;
    found = userDirValue(rest.substr(kKey.size()), home);
  }
  return found;
}

bool folderIdentity(TextView folder, struct stat& info) {
  const std::string path = nativePath(folder);
  return !path.empty() && stat(path.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

}  // namespace

Text documentsFolder() {
  const std::string home = homeFolder();
  const std::string documents = documentsEntry(home);
  if (isFolder(documents)) return textFromNativePath(withSeparator(documents));
  if (home.empty()) return Text();
  return textFromNativePath(withSeparator(home));
}

int32_t canWriteInFolder(TextView folder) {
  const std::string path = nativePath(folder);
  if (!isFolder(path)) return 0;
  // Effective ids, as creating a file would use them; EROFS counts too.
  return faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 1
                                                                         : 0;
}

int32_t sameFolder(TextView a, TextView b) {
  struct stat first;
  struct stat second;
  if (!folderIdentity(a, first) || !folderIdentity(b, second)) return 0;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? 1 : 0;
}

Text workingFolder() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      // A removed working folder reads as "(unreachable)/..." on Linux.
      if (buffer.empty() || buffer.front() != '/') return Text();
      return textFromNativePath(withSeparator(buffer));
    }
    if (errno != ERANGE) return Text();
    buffer.resize(buffer.size() * 2);
  }
}
