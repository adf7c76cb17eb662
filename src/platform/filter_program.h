// Running a helper program of ours as a filter: the input bytes go to its
// standard input, its standard output comes back piece by piece, and its
// standard error is kept as its reason. The program is started by path
// with its arguments handed over one by one (no shell), in this process's
// group, with the default action for SIGPIPE, SIGINT and SIGTERM and no
// signal blocked. POSIX only.
//
// Writing and reading go together (poll), so neither side can wait on the
// other whatever the helper does; a helper that ends or closes its input
// early costs this process no SIGPIPE (it is blocked and taken back on the
// calling thread only) and is told by its exit status. The helper is always
// waited for before runFilterProgram returns: no zombie is left, also when
// memory runs out (std::bad_alloc passes through after the helper is
// killed and reaped). Safe to call from several threads at once: every
// descriptor is close-on-exec, so one helper never holds another's pipes.
#ifndef FLOWSVG_PLATFORM_FILTER_PROGRAM_H_
#define FLOWSVG_PLATFORM_FILTER_PROGRAM_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/strings.h"

struct FilterOutcome {
  bool started = false;
  Text startReason;     // when not started: the system's reason
  int exitStatus = -1;  // its exit status when it exited
  int signal = 0;       // the signal that ended it, or 0
  std::string errors;   // its standard error, the first 16 KiB
};

// Runs path with the arguments args (args[0] is the program's name as it
// sees it), writes input to it and hands each piece of its standard output
// to output, until it has closed its output and ended.
FilterOutcome runFilterProgram(
    const std::string& path, const std::vector<std::string>& args,
    std::string_view input,
    const std::function<void(std::string_view)>& output);

#endif  // FLOWSVG_PLATFORM_FILTER_PROGRAM_H_
