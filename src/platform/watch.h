// Waiting for descriptions to be saved, for flowsvg --watch.
//
// The folders that hold the descriptions are watched, not the files:
// editors save by writing a new file and renaming it over the old one, which
// would end a watch on the old file. A description counts as changed when a
// file of its name in its folder is closed after writing, or renamed into
// place, and when its folder is removed or renamed away (the description is
// gone). A folder that is gone is looked for again once a second; when it
// is back, its descriptions count as changed. A watch ends cleanly on
// SIGINT, SIGTERM or SIGHUP (Ctrl+C, a kill, a closed terminal) that
// arrives while it waits; during a conversion these
// signals do what temporary_files.h makes them do (remove the temporary file
// and end the program), so no temporary file is ever left.
//
// A watch that leaves the signals alone (the window's preview, on a thread of
// its own) is ended from another thread with interruptWatch instead.
//
// POSIX (Linux): inotify, with the signals taken through a signalfd while
// waiting (watch-posix.cc). Windows: ReadDirectoryChangesW, with Ctrl+C and
// Ctrl+Break taken through the console control handler while waiting
// (watch-win32.cc).
#ifndef FLOWSVG_PLATFORM_WATCH_H_
#define FLOWSVG_PLATFORM_WATCH_H_

#include <vector>

#include "base/strings.h"

struct DescriptionWatch;

// Whether a watch takes the ending signals while it waits (the command
// line), or leaves them to the rest of the program (a watch on a thread of
// its own in a program with a window).
enum class WatchSignals { Taken, Left };

// Starts watching the folders of the files (a file that is a symbolic link
// also in its target's folder). 0 when a folder cannot be watched, with the
// folder in *folder and the reason in *reason. The caller owns the watch and
// ends it with endWatch.
DescriptionWatch* startWatch(const std::vector<Text>& files, Text* folder,
                             Text* reason,
                             WatchSignals signals = WatchSignals::Taken);

enum class WatchResult { Changed, Stopped, Failed };

// Waits until at least one of the files changed, then takes every change
// already waiting as well, so that changes made while the caller converted
// lead to one more conversion each, not one per event: (*changed)[k] is set
// for each file k that changed (the vector is sized to the files). Stopped
// when interruptWatch was called (*signal 0), or for a watch that takes
// the signals when SIGINT, SIGTERM or SIGHUP (Windows: Ctrl+C) came first (one the program's parent had
// ignored stays ignored), with the signal in *signal; Failed with the
// reason when the watch itself broke.
WatchResult waitForChanges(DescriptionWatch* watch, std::vector<char>* changed,
                           int* signal, Text* reason);

// Makes waitForChanges, waiting now on another thread or called later,
// return Stopped with *signal 0; from then on the watch only waits to be
// ended. Safe to call from any thread while the watch exists.
void interruptWatch(DescriptionWatch* watch);

// Ends the watch and frees it.
void endWatch(DescriptionWatch* watch);

// Ends the program as the signal that stopped a watch would have ended it,
// with the conventional exit status 128 + signal.
[[noreturn]] void endAsSignalled(int signal);

#endif  // FLOWSVG_PLATFORM_WATCH_H_
