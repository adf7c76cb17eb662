// The desktop program's few words on its standard streams: the help, the
// version and the complaint about a wrong command line.
#ifndef FLOWSVG_DESKTOP_PRINT_H_
#define FLOWSVG_DESKTOP_PRINT_H_

#include "text/strings.h"

enum class PrintStream { Output, Error };

// Writes text, whose lines end with LF, to the stream: UTF-8 into a file or
// pipe. A window program on Windows has no console of its own: started
// from a console without redirection it writes to that console. False when
// the text did not all get there.
bool printText(PrintStream stream, TextView text);

#endif  // FLOWSVG_DESKTOP_PRINT_H_
