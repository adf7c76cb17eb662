// Where the parser tells about lines of a description that have no effect
// or only part of their effect: a typo in a key, a key in the wrong place, a
// capacity limit reached, a text too wide for its box. Nothing in a
// description is an error, so these are warnings only; the drawing is the
// same with or without a sink.
//
// The caller hands a sink to the parser as it hands it a Reporter: the
// command line prints each warning as "FILE:LINE: warning: TEXT"; the window
// passes none. The parser calls the sink on the thread that parses.
#ifndef FLOWSVG_MODEL_DIAGNOSTICS_H_
#define FLOWSVG_MODEL_DIAGNOSTICS_H_

#include <cstdint>

#include "base/strings.h"

class DiagnosticsSink {
 public:
  virtual ~DiagnosticsSink() = default;
  // line is the 1-based number of the line concerned, counted as an editor
  // counts them: LF, CR LF and a lone CR each start a new line; a 0x00 byte
  // ends the text the reader takes from its line but starts no new one. text is a sentence of the wording file that says what
  // happened to the line and, where one fits, what was probably meant; it
  // holds no line break.
  virtual void warning(int32_t line, TextView text) = 0;
};

#endif  // FLOWSVG_MODEL_DIAGNOSTICS_H_
