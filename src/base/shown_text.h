// Texts that did not come from the program itself (a path, an argument, a
// text of a description) as people are shown them, in a printed line, a
// warning, a message box or a label.
#ifndef FLOWSVG_BASE_SHOWN_TEXT_H_
#define FLOWSVG_BASE_SHOWN_TEXT_H_

#include "base/strings.h"

// Each C0 control character (U+0000 to U+001F) and DEL (U+007F) as "\x"
// and two lower-case hex digits, so that a message stays one line; each
// character a terminal or a text view would act on rather than show as "\u"
// and four upper-case hex digits: the C1 controls (U+0080 to U+009F), the
// bidirectional formatting characters (U+061C, U+200E, U+200F, U+202A to
// U+202E, U+2066 to U+2069) and the line and paragraph separators (U+2028,
// U+2029); and each byte that is not UTF-8 (a lone surrogate U+DC80 to
// U+DCFF, as platform/paths.h keeps such a byte of a file name) as U+FFFD.
// Every text the programs print or show from such a source goes through
// here.
Text shownPath(TextView path);
// The same, appended to out (which takes no new memory while it has room).
void appendShownPath(Text& out, TextView path);

#endif  // FLOWSVG_BASE_SHOWN_TEXT_H_
