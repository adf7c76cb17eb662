// Paths and file information. Both "/" and "\" count as separators in the
// path texts the shell works with.
#ifndef FLOWSVG_TEXT_PATHS_H_
#define FLOWSVG_TEXT_PATHS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "text/strings.h"

// Flag in fileAttributesOf's result that marks a folder.
inline constexpr int32_t FolderAttribute = 16;

// Size in bytes of the file at path; -2 for a folder; -1 when nothing is
// there or the path is empty after removing its trailing separators.
int64_t fileSizeOf(TextView path);

// -1 for the empty path or where nothing exists; otherwise attribute flags,
// 0 or more, with FolderAttribute set exactly for a folder.
int32_t fileAttributesOf(TextView path);

// The path up to and including its last separator; empty when it has none.
Text folderPart(TextView path);

// The extension without its dot: what follows the last dot, unless a
// separator or a space comes after that dot, or the dot starts the path or
// directly follows a separator; otherwise the empty text.
Text extensionPart(TextView path);

// Full path of the running program's file (on Linux from /proc/self/exe),
// never shortened. Empty if the platform cannot tell.
Text programPath();

// Converts a path text to the bytes the operating system takes, and back.
std::string nativePath(TextView path);
Text textFromNativePath(std::string_view path);

#endif  // FLOWSVG_TEXT_PATHS_H_
