// The inside of a FileHandle, shared by the platform-independent line code
// (text_file.cc) and the platform's file code (text_file-posix.cc,
// text_file-win32.cc). Nothing outside src/platform includes this header.
#ifndef FLOWSVG_PLATFORM_OPEN_FILE_H_
#define FLOWSVG_PLATFORM_OPEN_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/strings.h"

// What the platform's file code keeps for a file that replaces another when
// it is complete (temporary name, target, how to finish). Defined by the
// platform file.
struct Replacement;

// One open file. Reading refills `buffer` with up to ReadChunkSize bytes at a
// time; writing collects whole lines in `output` and hands them to the
// platform in chunks of up to WriteBufferSize bytes, or, for a file written
// in place, collects the whole content in `collected` until finishWriting.
struct TextFile {
  // Both defined by the platform file, which knows Replacement.
  TextFile();
  ~TextFile();

  intptr_t native = -1;     // the platform's descriptor or handle
  bool ownsNative = true;   // false for standard input and output
  bool writing = false;
  bool failed = false;      // a read, write, flush, close or rename failed
  Text failure;             // the reason of the first failure

  // Reading.
  std::string buffer;       // bytes of the last refill
  size_t next = 0;          // first unread byte in buffer
  bool exhausted = false;   // end of file (or a read failure) met

  // Writing.
  std::unique_ptr<char[]> output;  // bytes not yet handed on
  size_t waiting = 0;              // how many bytes wait in output
  bool collecting = false;         // written in place: keep everything
  std::string collected;           // ... here, until finishWriting
  std::unique_ptr<Replacement> replacement;
};

// An SVG document is written in few system calls.
inline constexpr size_t WriteBufferSize = 64 * 1024;

// Records a failure; the first reason is the one kept.
void noteFailure(TextFile& file, Text reason);

// Gives *reason the text, where the caller asked for one (reason not null).
void setReason(Text* reason, Text text);

// A new open file around the platform's descriptor or handle native, for
// reading or for writing (then with its write buffer); owns tells whether
// closing the file closes native too.
TextFile* adoptNative(intptr_t native, bool writing, bool owns);

// Hands the bytes waiting in file.output on (to the platform, or into
// file.collected) and empties the buffer. Does nothing after a failure.
void flushOutput(TextFile& file);

// Provided by the platform file:

// Replaces the consumed content of file.buffer by up to ReadChunkSize new
// bytes, waiting for data when a read would block. False at the end of the
// file or on a read failure; then file.exhausted is set, and for a failure
// noteFailure has recorded why.
bool readChunk(TextFile& file);

// Writes all size bytes to the platform's file. False after noteFailure when
// that cannot be done.
bool writeBytes(TextFile& file, const char* data, size_t size);

#endif  // FLOWSVG_PLATFORM_OPEN_FILE_H_
