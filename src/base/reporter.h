// How the parser, the renderer and the sample writer tell their caller that
// a file could not be opened, read, created or written. The caller supplies
// the reporter: the desktop window shows an error message box, the command
// line prints one line to standard error, a test records the parts.
#ifndef FLOWSVG_BASE_REPORTER_H_
#define FLOWSVG_BASE_REPORTER_H_

#include "base/strings.h"

class Reporter {
 public:
  virtual ~Reporter() = default;
  // caption is a text of the wording file that ends in ": " and names what
  // failed (OpenFailureCaption, CreateFailureCaption, SampleFailureCaption);
  // path is the file concerned, as the caller named it; reason is why, in
  // the system's words ("No such file or directory") or ours ("it is the
  // input file"), empty when nothing more is known. Each reporter lays the
  // three parts out for its medium.
  virtual void reportError(TextView caption, TextView path,
                           TextView reason) = 0;
};

#endif  // FLOWSVG_BASE_REPORTER_H_
