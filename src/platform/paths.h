// Paths and file information from the system: sizes, attributes, file
// identities, the program's own path and the native form of names. The
// pure path texts (separators, folder and extension parts, shown names) are
// in base/path_text.h.
//
// Names are the system's: on POSIX a file name is bytes, not necessarily
// UTF-8. A Text holds each byte that is not part of valid UTF-8 as a lone
// surrogate U+DC80 to U+DCFF ("surrogateescape"), and nativePath turns it
// back into that byte, so every name reaches the system calls byte for byte.
// Shown to a person, such a byte is U+FFFD (shownPath).
#ifndef FLOWSVG_PLATFORM_PATHS_H_
#define FLOWSVG_PLATFORM_PATHS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/path_text.h"
#include "base/strings.h"

// Flag in fileAttributesOf's result that marks a folder.
inline constexpr int32_t FolderAttribute = 16;

// Size in bytes of the file at path; -2 for a folder; -1 when nothing is
// there or the path is empty after removing its trailing separators.
int64_t fileSizeOf(TextView path);

// -1 for the empty path or where nothing exists; otherwise attribute flags,
// 0 or more, with FolderAttribute set exactly for a folder.
int32_t fileAttributesOf(TextView path);

// What is at path, as fileAttributesOf tells it: nothing, a folder, or a
// file (anything there that is no folder).
enum class PathKind { Nothing, Folder, File };
inline PathKind pathKind(TextView path) {
  const int32_t attributes = fileAttributesOf(path);
  if (attributes == -1) return PathKind::Nothing;
  return (attributes & FolderAttribute) != 0 ? PathKind::Folder
                                             : PathKind::File;
}

// Full path of the running program's file, never shortened. Empty if the
// platform cannot tell.
Text programPath();

// Which file a path names, links followed. Two paths name the same file
// exactly when both identities are known and equal. Only an existing
// regular file has a known identity: a terminal or pipe shared by standard
// input and output is no conflict.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t file = 0;
  bool known = false;
};
FileIdentity identityOf(TextView path);
FileIdentity identityOfStandardInput();
FileIdentity identityOfStandardOutput();
inline bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.known && b.known && a.device == b.device && a.file == b.file;
}

// Where a file written at path would be made: the existing folder it would
// be in and its name there. The folder is known by its identity (device
// and inode, or volume and file index), so that every spelling of one
// target ("a.svg", "./a.svg", "x/../a.svg", "d/a.svg" with d a link to ".")
// gives the same place. On POSIX a link at path that leads nowhere yet is
// followed to where it would make the file; on Windows the name is in lower
// case, since Windows compares names without regard to case. folder.known
// is false when the folder does not exist or path ends in a separator.
struct OutputPlace {
  FileIdentity folder;
  Text name;
};
OutputPlace placeOf(TextView path);

#ifdef _WIN32
// The wide-character path the Win32 API takes: the text as it is, made
// absolute and given the \\?\ prefix where it would not fit MAX_PATH.
std::wstring nativePath(TextView path);
Text textFromNativePath(std::wstring_view path);
#else
// The bytes the operating system takes (UTF-8, escaped bytes restored), and
// back.
std::string nativePath(TextView path);
Text textFromNativePath(std::string_view path);
#endif

#endif  // FLOWSVG_PLATFORM_PATHS_H_
