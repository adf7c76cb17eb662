// Starting a program from the window, with its arguments handed over one by
// one: no shell ever sees them, so a folder named "a; touch x" or "$(id)"
// reaches the program as that very text. The desktop toolkit opens folders
// through it.
#ifndef FLOWSVG_PLATFORM_LAUNCH_H_
#define FLOWSVG_PLATFORM_LAUNCH_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/strings.h"

// Starts argv[0] (looked up in PATH unless it holds a "/") with the
// arguments argv[1...], in a session of its own so that it outlives this
// program, with no signal blocked, and does not wait for it. Returns the
// new process's id; the caller reaps the process once it has ended
// (waitpid, or GLib's child watch), and learns from its exit status whether
// it did what it was asked. Returns 0 when no process was started, with
// *reason saying why: argv[0], ": " and the system's reason ("xdg-open: No
// such file or directory" when no such program is found, "Permission
// denied" for a file that is no program).
int64_t launchProgram(const std::vector<std::string>& argv, Text* reason);

#endif  // FLOWSVG_PLATFORM_LAUNCH_H_
