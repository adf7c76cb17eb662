// Times whole processes against each other on a shared machine: runs each
// command in turn, round after round, so that a burst of load from elsewhere
// falls on all of them alike, and reports the minimum and the median time
// of each. A command is started with posix_spawn and waited for; nothing
// else (no shell) is in the timed span.
//
//   alternate_runs ROUNDS GROUP [:: GROUP ...]
//   GROUP = LABEL PREPARE PROGRAM ARGS...
//
// PREPARE is run with /bin/sh before each timed run of its command, outside
// the timing ("-" for nothing): it removes the files a command must create
// anew, for instance. An argument "@glob:PATTERN" stands for the sorted
// paths matching PATTERN (taken once, at the start). The command's standard
// output and error go to /dev/null; a run that fails stops everything.
// Prints one line per group: LABEL, minimum and median in microseconds.
#include <fcntl.h>
#include <glob.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Group {
  std::string label;
  std::string prepare;
  std::vector<std::string> args;
  std::vector<double> micros;
};

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// Runs argv with standard output and error on /dev/null; its exit status.
int runQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int error =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return 127;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: alternate_runs ROUNDS LABEL PREPARE PROGRAM ARGS... "
                 "[:: LABEL PREPARE PROGRAM ARGS...]\n");
    return 64;
  }
  const int rounds = std::atoi(argv[1]);
  std::vector<Group> groups(1);
  int field = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "::") {
      groups.emplace_back();
      field = 0;
      continue;
    }
    Group& group = groups.back();
    if (field == 0) {
      group.label = arg;
    } else if (field == 1) {
      group.prepare = arg == "-" ? "" : arg;
    } else if (arg.rfind("@glob:", 0) == 0) {
      glob_t found;
      if (glob(arg.c_str() + 6, 0, nullptr, &found) == 0) {
        for (size_t k = 0; k < found.gl_pathc; ++k) {
          group.args.emplace_back(found.gl_pathv[k]);
        }
      }
      globfree(&found);
    } else {
      group.args.push_back(arg);
    }
    ++field;
  }
  for (int round = 0; round < rounds; ++round) {
    for (Group& group : groups) {
      if (!group.prepare.empty() &&
          runQuietly({"/bin/sh", "-c", group.prepare}) != 0) {
        std::fprintf(stderr, "%s: preparing failed\n", group.label.c_str());
        return 1;
      }
      const double start = now();
      const int status = runQuietly(group.args);
      const double took = now() - start;
      if (status != 0) {
        std::fprintf(stderr, "%s: exit status %d\n", group.label.c_str(),
                     status);
        return 1;
      }
      group.micros.push_back(took);
    }
  }
  for (Group& group : groups) {
    std::sort(group.micros.begin(), group.micros.end());
    const double median = group.micros[group.micros.size() / 2];
    std::printf("%s %.1f %.1f\n", group.label.c_str(), group.micros.front(),
                median);
  }
  return 0;
}
