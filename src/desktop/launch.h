// Starting a program detached from this one, with its arguments handed over
// one by one: no shell ever sees them, so a folder named "a; touch x" or
// "$(id)" reaches the program as that very text. The desktop toolkit opens
// folders through it.
#ifndef FLOWSVG_DESKTOP_LAUNCH_H_
#define FLOWSVG_DESKTOP_LAUNCH_H_

#include <cstdint>
#include <string>
#include <vector>

// Starts argv[0] (looked up in PATH unless it holds a "/") with the
// arguments argv[1...], in a new session, without waiting for it and without
// leaving a child behind to reap. Returns 1 when the program was found and a
// process for it was started, 0 otherwise (empty argv, no such program,
// fork failed). Whether the program then succeeds is not known here.
int32_t launchDetached(const std::vector<std::string>& argv);

#endif  // FLOWSVG_DESKTOP_LAUNCH_H_
