// Files: reading a description's bytes and writing CR LF lines, UTF-8
// without a byte-order mark, safely (replaced only when complete).
//
// A FileHandle names one open file and is used in one direction only. It is
// 0 only as the result of a failed open; it is valid until closeFile (or
// finishWriting), which releases everything it owns. A handle is used by one
// thread at a time; different handles may be used on different threads.
//
// Failures carry their reason: the operations that can fail fill an optional
// reason text with the system's words for the error (the C library's English
// text on POSIX, FormatMessageW's on Windows) or with one of ours from the
// wording file ("it is the input file", "locked by another program").
//
// Reading takes no lock: a replacement swaps a complete new file in, so a
// reader sees the old or the new content, never a mix. Writing a file in
// place (the fallback below) locks it exclusively for the write.
#ifndef FLOWSVG_PLATFORM_TEXT_FILE_H_
#define FLOWSVG_PLATFORM_TEXT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/strings.h"

struct TextFile;
using FileHandle = TextFile*;

// How many bytes one read from a file brings at the most. A description of
// the largest size the format allows is read in two system calls.
inline constexpr size_t ReadChunkSize = 64 * 1024;

// Opens an existing file for reading from its first byte. 0 when the file is
// missing, is a folder or cannot be read, with the reason in *reason.
FileHandle openForReading(TextView path, Text* reason = nullptr);

// Reads standard input as a description file (for "-" on the command line).
// 0 when standard input is closed or is a folder, with the reason.
FileHandle openStandardInput(Text* reason = nullptr);

// Creates the file, or cuts an existing one to length 0, for writing, in
// place. 0 when that fails; then nothing stays open. Nothing is written at
// creation. The programs write through createReplacement instead.
FileHandle createForWriting(TextView path);

// Starts writing a file that takes path's place only when it is complete,
// so that an earlier file at path keeps its content until then and after
// any failure, a crash of the machine included. 0 when writing cannot start,
// with the reason; then nothing is left behind.
//
// - An existing file is replaced through a new temporary file in its folder,
//   flushed to the disk before it is renamed over the file and the folder
//   flushed after; the new file keeps the old one's owner, group, mode
//   (setuid, setgid and sticky bits included), ACL and extended attributes.
//   A new file is written the same way without the flushes: after a crash
//   it may be empty, but nothing that existed is lost.
// - Where a temporary file cannot keep all that (a file with several hard
//   links, an owner that cannot be restored, an ACL or attribute that cannot
//   be copied, a folder that is not writable), the file is written in place
//   as "> path" would: the whole content is collected in memory and written
//   at finishWriting in one go, under an exclusive lock waited for up to
//   5 seconds (then the reason is LockedReason).
// - A symbolic link is followed where the kernel's fs.protected_symlinks=1
//   rule lets "> path" follow it: in a sticky world-writable folder only a
//   link owned by the user or by the folder's owner; otherwise 0 with
//   LinkRefusedReason. A dangling link makes the file it points to.
// - A path naming one of this process's open descriptors (/dev/stdout,
//   /dev/stderr, /dev/fd/N, /proc/self/fd/N, or a link to one) writes to
//   that descriptor as it is: never opened anew, cut, renamed or closed.
// - A device or pipe (/dev/null, a FIFO) is written in place.
// - A folder is refused.
FileHandle createReplacement(TextView path, Text* reason = nullptr);

// Writes to standard output (for "-" on the command line).
FileHandle attachStandardOutput();

// Appends the next bytes of the file, as they are, to out: up to most bytes,
// fewer at the end of the file or after a read failure (readFailure tells).
// Returns how many were appended. A description is read whole this way and
// then cut into lines in memory (base/line_reader.h).
size_t readBytes(FileHandle file, std::string& out, size_t most);

// 1 when no further byte can be read, otherwise 0. When a read would block
// (a non-blocking pipe or terminal) it waits for data; a read error ends the
// reading like the end of the file, and readFailure then tells it apart.
int atEnd(FileHandle file);

// Why reading stopped before the end of the file: empty while every read
// succeeded, else the reason (an I/O error, a folder, out of memory).
TextView readFailure(FileHandle file);

// Appends the UTF-8 encoding of text followed by CR LF. A failed write is
// remembered by the handle (see finishWriting); closeFile ignores it.
void writeLine(FileHandle file, TextView text);

// Appends bytes that are already UTF-8 (the caller encoded them as writeLine
// would) followed by CR LF. Lets a writer of many lines skip the UTF-16 step.
void writeEncodedLine(FileHandle file, std::string_view utf8);

// Appends bytes as they are (a whole drawing, the sample), with as few
// system calls as their size allows. A failed write is remembered as for
// writeLine.
void writeContent(FileHandle file, std::string_view bytes);

// Writes what is still buffered and closes the file. Reports nothing. For a
// handle from createReplacement it behaves as finishWriting.
void closeFile(FileHandle file);

// Writes what is still buffered, closes the file and tells whether every
// byte reached it: ok when every write, flush and close succeeded (and, for
// a replacement, the file took path's place), otherwise failed with the
// reason of the first failure. On failure a replacement's temporary file is
// removed and an earlier file at path is left as it was.
Status finishWriting(FileHandle file);

// Gives up a file being written (when drawing it could not go on, memory
// having run out, say): closes it and removes what was written of it, a
// replacement's temporary or unnamed file; an earlier file at the path stays
// as it was. Of a file written as it went (standard output, a device, a
// descriptor) only the handle goes. Never fails; the handle is then invalid.
void abandonWriting(FileHandle file);

// The whole file at path read into *bytes (emptied first); the reason when
// it cannot be opened or read.
Status readWholeFile(TextView path, std::string* bytes);

// The file at path replaced by bytes through createReplacement and
// finishWriting: the earlier file stays whole when the writing fails.
Status replaceWholeFile(TextView path, std::string_view bytes);

// --- Replacements flushed together ------------------------------------------
//
// A program that writes many files in one run (flowsvg -O) flushes the disk
// once for all the files it replaces, instead of once per file, and only
// then renames them into place. Each platform's file code provides these
// two; a platform that cannot flush many files at once may finish each file
// at once, exactly as finishWriting does, and hand back no pending file.

// A complete temporary file that waits for commitReplacements to take its
// target's place. It stays remembered as a temporary file (temporary_files.h)
// until then, so an interruption removes it.
struct PendingReplacement;

// As finishWriting, except for a file that replaces an existing one through
// a temporary file: that one is written out and closed without its flush,
// *pending receives it and the caller must hand it to commitReplacements,
// which alone renames it over its target. For every other file (a new file,
// a file written in place, a device, a descriptor, a temporary file that
// could not be remembered) it does exactly what finishWriting does and sets
// *pending to 0. Ok, or failed with the reason (then *pending is 0 and
// nothing is left behind).
Status finishWritingLater(FileHandle file, PendingReplacement** pending);

// Puts the pending files in place: flushes each file system that holds them
// once (syncfs), then renames each over its target, then flushes each of
// their folders once. Returns one outcome per pending file, in order: ok
// when the file took its target's place durably; failed with the reason
// otherwise, the target then left as it was unless the failure came after
// the rename (a folder that could not be flushed). Frees every pending
// file; nothing is left behind.
std::vector<Status> commitReplacements(
    const std::vector<PendingReplacement*>& pending);

#endif  // FLOWSVG_PLATFORM_TEXT_FILE_H_
