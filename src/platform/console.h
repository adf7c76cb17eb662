// The programs' own words on standard output and standard error: help,
// version, the success line, warnings and one-line errors.
//
// On POSIX the text goes out as UTF-8. On Windows a console is given the
// text itself (WriteConsoleW), so that any character shows whatever the
// console's code page; a pipe or file gets UTF-8.
#ifndef FLOWSVG_PLATFORM_CONSOLE_H_
#define FLOWSVG_PLATFORM_CONSOLE_H_

#include "base/strings.h"

enum class StandardStream { Output, Error };

// Sets the standard streams up for the program's bytes: on Windows, the C
// runtime's streams in binary mode, so that nothing written through them
// has its line ends changed. Called first thing in the program.
void prepareStandardStreams();

// Writes text, whose lines end with LF, to the stream. False when it did
// not all get there.
bool writeToStream(StandardStream stream, TextView text);

// Writes a line of ASCII text (at most 255 characters, the rest left out)
// and a line break to the stream without taking any memory, for the one
// message that says memory has run out. False when it did not get there.
bool writeAsciiLine(StandardStream stream, TextView ascii);

// A window program on Windows has no console of its own, so its standard
// streams lead nowhere unless they were redirected. After this call a
// stream without a handle writes to the console the program was started
// from, if there is one. Does nothing on POSIX. A console program never
// calls it: its closed stream must stay a failure.
void useParentConsole();

#endif  // FLOWSVG_PLATFORM_CONSOLE_H_
