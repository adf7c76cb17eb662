// Text files: reading description lines and writing CR LF lines, UTF-8
// without a byte-order mark.
//
// A FileHandle names one open file and is used in one direction only. It is
// 0 only as the result of a failed open; it is valid until closeFile (or
// finishWriting), which releases everything it owns. Handles are not shared
// between threads.
//
// Exclusive access rests on advisory locking: openForReading and
// createForWriting take an exclusive, non-blocking flock() on the file and
// fail when another holder has one, so two instances of this program never
// read and write the same file at once. Programs that take no lock are not
// kept out. A replacement locks its temporary file; readers of the old target
// keep reading the old content, since the rename swaps in a new file.
#ifndef FLOWSVG_TEXT_TEXT_FILE_H_
#define FLOWSVG_TEXT_TEXT_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "text/strings.h"

struct OpenFile;
using FileHandle = OpenFile*;

// How many bytes one read from a file brings at the most. A description of
// the largest size the format allows is read in two system calls.
inline constexpr size_t ReadChunkSize = 64 * 1024;

// Opens an existing file for reading from its first byte. 0 when the file is
// missing, is a folder, cannot be read, or another instance holds it.
FileHandle openForReading(TextView path);

// Reads standard input as a description file (for "-" on the command line).
// 0 when standard input is closed.
FileHandle openStandardInput();

// Reads the given bytes as if they were a file's content (tests, fuzzing).
FileHandle openBytes(std::string bytes);

// Creates the file, or cuts an existing one to length 0, for writing. 0 when
// that fails; then nothing stays open. Nothing is written at creation.
FileHandle createForWriting(TextView path);

// Starts writing a file that replaces path only when it is complete: the
// lines go to a new temporary file in path's folder, and finishWriting renames
// it over path. 0 when the temporary file cannot be created (for instance the
// folder does not exist or is not writable); then nothing is left behind.
// A symbolic link is followed, so the file it points to is replaced. A
// device or pipe at path (/dev/null, /dev/stdout) is written in place.
FileHandle createReplacement(TextView path);

// Writes to standard output (for "-" on the command line).
FileHandle attachStandardOutput();

// The next line: bytes up to LF, CR LF, a lone CR or a 0x00 byte, decoded
// from UTF-8. Lead bytes C0..F7 take their 1..3 following bytes whatever
// they are (a line break included); bytes 80..BF and F8..FF read as "?". A
// line of any length comes back whole. At the end of the file: empty text.
Text readLine(FileHandle file);

// The same, into line (reusing its storage), for readers of many lines.
void readLineInto(FileHandle file, Text& line);

// 1 when no further byte can be read, otherwise 0. A read error counts as
// the end of the file.
int atEnd(FileHandle file);

// Appends the UTF-8 encoding of text followed by CR LF. A failed write is
// remembered by the handle (see finishWriting); closeFile ignores it.
void writeLine(FileHandle file, TextView text);

// Appends bytes that are already UTF-8 (the caller encoded them as writeLine
// would) followed by CR LF. Lets a writer of many lines skip the UTF-16 step.
void writeEncodedLine(FileHandle file, std::string_view utf8);

// Writes what is still buffered and closes the file. Reports nothing. For a
// handle from createReplacement it behaves as finishWriting.
void closeFile(FileHandle file);

// Writes what is still buffered, closes the file and tells whether every
// byte reached it: 1 when every write and the close succeeded (and, for a
// replacement, the rename over the target did too), otherwise 0. On 0 a
// replacement's temporary file is removed and the target is left as it was.
// A replaced target keeps its permission bits.
int finishWriting(FileHandle file);

#endif  // FLOWSVG_TEXT_TEXT_FILE_H_
