// Temporary files that must not outlive the program. A replacement is
// written to a temporary file beside its target (text_file.h); while it is
// being written, the file is remembered here, so that an interrupted program
// removes it before it ends.
#ifndef FLOWSVG_PLATFORM_TEMPORARY_FILES_H_
#define FLOWSVG_PLATFORM_TEMPORARY_FILES_H_

#include <cstdint>

#ifndef _WIN32
#include <signal.h>
#endif

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
// nothing would remove it on an interruption: the caller then removes it
// and fails. The slots grow in blocks as needed, so a batch may hold many
// temporary files at once. Safe to call from several threads.
int32_t rememberTemporaryFile(const NativeChar* path);
void forgetTemporaryFile(int32_t slot);

// Removes every temporary file still remembered. The programs call it as
// they end: a file of a conversion that could not go on (memory having run
// out in the midst of it, say) goes then at the latest.
void removeRememberedTemporaryFiles();

// While one of these lives, an interruption waits: a temporary file is
// created and remembered inside it, so that no moment exists in which the
// file is there but unknown to what removes the files. On POSIX the ending
// signals are blocked on this thread, and a handler running meanwhile on
// another thread waits until every such window has closed; once a handler
// has begun, a window that opens never closes (the program is ending).
// Windows' console handler, on a thread of its own, waits the same way.
class TemporaryFileWindow {
 public:
  TemporaryFileWindow();
  ~TemporaryFileWindow();
  TemporaryFileWindow(const TemporaryFileWindow&) = delete;
  TemporaryFileWindow& operator=(const TemporaryFileWindow&) = delete;

 private:
#ifndef _WIN32
  sigset_t savedMask_;  // the thread's signal mask before the window
#endif
};

#endif  // FLOWSVG_PLATFORM_TEMPORARY_FILES_H_
