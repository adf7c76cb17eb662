// Helpers that tests of several layers share: temporary folders, whole-file
// bytes, folder listings and a reporter that records what it is told. Built
// into the test-support library that every test program links.
#ifndef FLOWSVG_TESTING_TEST_SUPPORT_H_
#define FLOWSVG_TESTING_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "base/reporter.h"
#include "base/strings.h"
#include "platform/text_file.h"

// A new empty folder under the system's temporary folder; its path uses "/"
// on every platform.
std::string makeTempFolder();

// A path as the std::filesystem-based helpers here spell it (UTF-8 on
// Windows, the system's bytes on POSIX) turned into the Text the program's
// file operations take.
Text textOfPath(const std::string& path);

// Removes the folder with everything in it.
void removeTree(const std::string& folder);

// A new empty folder for the lifetime of the object, removed with its
// content afterwards.
class TempFolder {
 public:
  TempFolder() : path_(makeTempFolder()) {}
  ~TempFolder() { removeTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // The path of name inside the folder, and the same as a Text.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  Text text(const std::string& name) const;

 private:
  std::string path_;
};

// Every byte of the file at path; empty when it cannot be read.
std::string readBytes(const std::string& path);

// Every byte of an open file, read as a description is read, expecting no
// read failure; closes the file.
std::string readWhole(FileHandle file);

// Writes bytes to the file at path, replacing what was there.
void writeBytes(const std::string& path, const std::string& bytes);

// The system's words for why a file could not be opened or created, as
// the reports carry them (UTF-8): nothing at the path, no folder for it, a
// folder where a file was expected. Windows and Wine word them differently;
// both come from the same error codes.
std::string missingFileReason();
std::string missingFolderReason();
std::string folderReason();

// Whether this Windows program runs under Wine, which lacks a few things a
// test may need (see the tests that ask). False on POSIX.
bool runningUnderWine();

#ifdef _WIN32
// Runs the test named (e.g. "Suite.DISABLED_Case": a disabled test that
// only a parent starts) of this very test program in a child process with a
// console of its own, and gives its exit status once it has ended, waiting
// 30 s at most; ~0 when it could not be started or did not end.
unsigned long runTestInOwnConsole(const std::string& name);

// Every byte that can be read from the handle (a pipe's read end) until its
// writers are gone; the handle is closed.
std::string readToEnd(void* handle);

// Removes the file and the five folders above it (deep being the innermost),
// which std::filesystem may not reach without the \\?\ prefix.
void removeDeepFolder(const Text& file, Text deep);

// The process's current folder, as GetCurrentDirectoryW gives it.
std::wstring currentFolder();
#endif

// Names in the folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// Records every report: messages holds caption and path joined (UTF-8),
// reasons the reason of the same report.
class RecordingReporter : public Reporter {
 public:
  void reportError(TextView caption, TextView path, TextView reason) override;
  std::vector<std::string> messages;
  std::vector<std::string> reasons;
};

#endif  // FLOWSVG_TESTING_TEST_SUPPORT_H_
