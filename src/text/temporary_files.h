// Temporary files that must not outlive the program. A replacement is
// written to a temporary file beside its target (text_file.h); while it is
// being written, the file is remembered here, so that an interrupted program
// removes it before it ends.
#ifndef FLOWSVG_TEXT_TEMPORARY_FILES_H_
#define FLOWSVG_TEXT_TEMPORARY_FILES_H_

#include <cstdint>

// Installs, once per process, what removes the remembered temporary files
// when the program is interrupted, and then ends it as the interruption
// would have: on POSIX, handlers of SIGINT, SIGTERM and SIGHUP (a signal the
// parent left ignored stays ignored) that remove the files and raise the
// signal again, so the exit status is the conventional 128 + signal; and
// SIGXFSZ ignored, so that a write beyond the file-size limit fails with
// EFBIG and is reported like any other failed write instead of killing the
// process. On Windows, a console control handler for Ctrl+C, Ctrl+Break and
// closing the console. Each program calls it first thing in main.
void guardTemporaryFiles();

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// Remembers the temporary file at path (a native, 0-terminated path) until
// forgetTemporaryFile; returns the slot, or -1 when it cannot be remembered
// (no slot free and no memory for more, or a path too long), in which case
// nothing removes it on an interruption. On POSIX the slots grow in blocks
// as needed, so a batch may hold many temporary files at once. Safe to call
// from several threads.
int32_t rememberTemporaryFile(const NativeChar* path);
void forgetTemporaryFile(int32_t slot);

#endif  // FLOWSVG_TEXT_TEMPORARY_FILES_H_
