// Writes a laid-out Flowchart as one SVG document, strictly forward, one
// CR LF line at a time: prolog and comments, definitions and styles,
// background and header, each section band followed by its item boxes, the
// connectors, the summary panel and the closing tag.
#ifndef FLOWSVG_RENDER_SVG_DOCUMENT_H_
#define FLOWSVG_RENDER_SVG_DOCUMENT_H_

#include <cstdint>

#include "model/flowchart.h"
#include "base/calendar.h"
#include "platform/reporter.h"
#include "platform/text_file.h"

// Lays the chart out and writes it to path, stamped with the present local
// time. The document is written by createReplacement (text_file.h), so an
// earlier file at path keeps its content until the new one is complete.
// Returns 1 on success; 0 when the file cannot be created, written or
// closed (memory running out included), after reporting CreateFailureCaption,
// path and the reason through reporter; an earlier file at path is then
// left as it was.
int32_t generateSvg(Flowchart& chart, TextView path, Reporter& reporter);

// Lays the chart out and writes the whole document to an open file, with
// the given generation time in its timestamp comment. Does not close it.
void writeSvg(Flowchart& chart, FileHandle file, Timestamp generated);

// Replaces "&", "<", ">", '"' and "'" by their entities ("&" first, so
// nothing is escaped twice), then every character XML 1.0 forbids (U+0001 to
// U+0008, U+000B, U+000C, U+000E to U+001F, U+FFFE, U+FFFF) by U+FFFD.
Text escapeXml(TextView text);

// Writes escapeXml(text) encoded as UTF-8, as writeLine would encode it, to
// dest, which must hold MaxEscapedBytesPerUnit x text.size() + 2 bytes
// ("&quot;" takes six bytes for one unit; the two more let each character
// be written with one 8-byte copy). Returns the number of bytes written.
inline constexpr size_t MaxEscapedBytesPerUnit = 6;
size_t escapeXmlUtf8Into(TextView text, char* dest);

#endif  // FLOWSVG_RENDER_SVG_DOCUMENT_H_
