// How the parser and the renderer tell their caller that a file could not be
// opened, created or written. The caller supplies the reporter: the desktop
// window shows an error message box, the command line prints a line to
// standard error, a test records the message.
#ifndef FLOWSVG_TEXT_REPORTER_H_
#define FLOWSVG_TEXT_REPORTER_H_

#include "text/strings.h"

class Reporter {
 public:
  virtual ~Reporter() = default;
  // message is a caption followed directly by the path concerned.
  virtual void reportError(const Text& message) = 0;
};

#endif  // FLOWSVG_TEXT_REPORTER_H_
