// Watching description folders on Windows: not available in this build.
// flowsvg --watch then says so and ends with the usage status (64). The way
// to provide it is ReadDirectoryChangesW on each folder, taking a file's
// name written (FILE_NOTIFY_CHANGE_LAST_WRITE) or renamed into place
// (FILE_ACTION_RENAMED_NEW_NAME), with Ctrl+C reported through the console
// control handler as Stopped (see watch.h).
#include <cstdlib>

#include "platform/watch.h"

struct DescriptionWatch {};

bool watchAvailable() { return false; }

DescriptionWatch* startWatch(const std::vector<Text>&, Text* folder,
                             Text* reason) {
  if (folder != nullptr) folder->clear();
  if (reason != nullptr) reason->clear();
  return nullptr;
}

WatchResult waitForChanges(DescriptionWatch*, std::vector<char>* changed,
                           int*, Text*) {
  changed->clear();
  return WatchResult::Failed;
}

void endWatch(DescriptionWatch* watch) { delete watch; }

void endAsSignalled(int signal) { std::_Exit(128 + signal); }
