#include "desktop/launch.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// The file that execvp would run for name, or the empty string.
std::string findProgram(const std::string& name) {
  if (name.empty()) return std::string();
  if (name.find('/') != std::string::npos) {
    return isExecutableFile(name) ? name : std::string();
  }
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = folders.find(':', start);
    const std::string_view folder = std::string_view(folders).substr(
        start, end == std::string::npos ? std::string::npos : end - start);
    // An empty entry stands for the current folder.
    const std::string candidate =
        (folder.empty() ? std::string(".") : std::string(folder)) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) return std::string();
    start = end + 1;
  }
}

}  // namespace

int32_t launchDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return 0;
  const std::string program = findProgram(argv[0]);
  if (program.empty()) return 0;
  // Everything the children use is prepared before forking: after fork only
  // async-signal-safe calls are made.
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // Fork twice: the intermediate child exits at once, so the program runs as
  // an orphan that init reaps and this process never waits for it.
  const pid_t child = fork();
  if (child < 0) return 0;
  if (child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      setsid();
      execv(program.c_str(), args.data());
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 0;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}
