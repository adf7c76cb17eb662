// The few facts of the system the desktop window needs about folders: where
// the user keeps documents, whether a folder can be written, whether two
// paths name one folder, and the working folder. One implementation file
// per platform (user_folders-posix.cc; on Windows the documents folder is
// the known folder Documents).
//
// Paths are Texts as text/paths.h holds them: a byte of a name that is not
// UTF-8 is kept, so that every name reaches the system byte for byte.
#ifndef FLOWSVG_PLATFORM_USER_FOLDERS_H_
#define FLOWSVG_PLATFORM_USER_FOLDERS_H_

#include <cstdint>

#include "base/strings.h"

// The user's documents folder, ending in a separator. On POSIX: the folder
// that XDG_DOCUMENTS_DIR names in ${XDG_CONFIG_HOME:-~/.config}/
// user-dirs.dirs (what `xdg-user-dir DOCUMENTS` prints) when that folder
// exists, else the home folder. Nothing is created. Empty when not even the
// home folder is known.
Text documentsFolder();

// 1 when this process may create files in folder (an existing folder it can
// write and enter, on a file system mounted for writing), else 0.
int32_t canWriteInFolder(TextView folder);

// 1 when a and b name one existing folder, links followed; else 0.
int32_t sameFolder(TextView a, TextView b);

// The process's working folder, ending in a separator; empty when it cannot
// be told (it was removed, say).
Text workingFolder();

#endif  // FLOWSVG_PLATFORM_USER_FOLDERS_H_
