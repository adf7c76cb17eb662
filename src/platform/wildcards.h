// Wildcards in the file arguments of flowsvg, expanded by the program itself
// where the shell leaves them as they are (Windows' shells do): "*" stands
// for any run of characters and "?" for one, in the file part of a path
// (its folder part is taken as it is). Letters match in either case, as
// Windows matches names, and the matching files come in name order.
#ifndef FLOWSVG_PLATFORM_WILDCARDS_H_
#define FLOWSVG_PLATFORM_WILDCARDS_H_

#include <functional>
#include <vector>

#include "base/strings.h"

// Whether the file part of path holds "*" or "?".
bool holdsWildcard(TextView path);

// Whether name matches pattern, neither holding a separator: "*" matches
// any run of characters (none included), "?" exactly one (a surrogate pair
// is one character), every other character itself in either letter case.
// As on Windows, a pattern ending in ".*" also matches a name without that
// dot ("*.*" matches every name, "plan.*" also "plan"), and a pattern
// ending in "." matches names without a dot ("*." the names without an
// extension).
bool matchesWildcard(TextView pattern, TextView name);

// Puts the names of the files in folder (the folder part of a path, ending
// in a separator, "C:" or empty for the working folder) into *names, in no
// particular order and without the folders in it; false when the folder
// cannot be read.
using FileLister = std::function<bool(TextView folder, std::vector<Text>*)>;

// files with each one that holds a wildcard replaced by the paths of the
// files it matches (its folder part followed by each matching name, in
// name order: letters compared in either case, then as they are); the
// others stay as they are. Each pattern that matches nothing, or whose
// folder cannot be read, is left out and added to *unmatched.
std::vector<Text> expandWildcards(const std::vector<Text>& files,
                                  const FileLister& list,
                                  std::vector<Text>* unmatched);

// The platform's lister where its shells leave wildcards to the programs
// (Windows: FindFirstFileW); null where the shell expands them (POSIX),
// so that a "*" in an argument there is a file name's own character.
const FileLister* platformWildcardLister();

#endif  // FLOWSVG_PLATFORM_WILDCARDS_H_
