// Opening an address in the user's default browser, for flowsvg --serve
// --open: xdg-open on Linux (its arguments handed over one by one, no
// shell; the process reaped when it ends), the shell's "open" verb on
// Windows. Nothing waits for the browser itself.
#ifndef FLOWSVG_SERVE_BROWSER_H_
#define FLOWSVG_SERVE_BROWSER_H_

#include "base/status.h"
#include "base/strings.h"

// Fails, with the reason, when the opener could not be started.
Status openInBrowser(const Text& address);

#endif  // FLOWSVG_SERVE_BROWSER_H_
