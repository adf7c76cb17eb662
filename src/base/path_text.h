// Path texts, with no system call: both "/" and "\\" count as separators
// in the paths the programs work with, and every text from outside the
// program is shown to a person through shownPath.
#ifndef FLOWSVG_BASE_PATH_TEXT_H_
#define FLOWSVG_BASE_PATH_TEXT_H_

#include "base/strings.h"

// Whether c separates the names in a path: "/", and "\\" as on Windows.
inline bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// The path up to and including its last separator; empty when it has none.
Text folderPart(TextView path);

// The extension without its dot: what follows the last dot, unless a
// separator or a space comes after that dot, or the dot starts the path or
// directly follows a separator; otherwise the empty text.
Text extensionPart(TextView path);

// A path, or any other text that did not come from the program itself (an
// argument, a text of a description), as a person is shown it in a printed
// line, a message box or a label: each C0 control character (U+0000 to
// U+001F) and DEL (U+007F) as "\x" and two lower-case hex digits, so that a
// message stays one line; each character a terminal or a text view would act
// on rather than show as "\u" and four upper-case hex digits: the C1
// controls (U+0080 to U+009F), the bidirectional formatting characters
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) and the line
// and paragraph separators (U+2028, U+2029); and each byte that is not
// UTF-8 as U+FFFD. Every text the programs print or show from such a source
// goes through here.
Text shownPath(TextView path);
// The same, appended to out (which takes no new memory while it has room).
void appendShownPath(Text& out, TextView path);

#endif  // FLOWSVG_BASE_PATH_TEXT_H_
