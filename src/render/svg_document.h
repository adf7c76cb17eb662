// Writes a laid-out Flowchart as one SVG document, strictly forward, one
// CR LF line at a time: prolog and comments, definitions and styles,
// background and header, each section band followed by its item boxes, the
// connectors, the summary panel and the closing tag.
#ifndef FLOWSVG_RENDER_SVG_DOCUMENT_H_
#define FLOWSVG_RENDER_SVG_DOCUMENT_H_

#include <cstdint>
#include <string>

#include "model/flowchart.h"
#include "base/calendar.h"

// Lays the chart out and appends the whole document to out, with the given
// generation time in its timestamp comment. Memory running out throws
// std::bad_alloc (out then holds part of the document).
void writeSvg(Flowchart& chart, std::string& out, Timestamp generated);

// The same, onto an output (svg_line.h), which the caller finishes.
class SvgOutput;
void writeSvg(Flowchart& chart, SvgOutput& out, Timestamp generated);

// Replaces "&", "<", ">", '"' and "'" by their entities ("&" first, so
// nothing is escaped twice), then every character XML 1.0 forbids (U+0001 to
// U+0008, U+000B, U+000C, U+000E to U+001F, U+FFFE, U+FFFF) by U+FFFD.
Text escapeXml(TextView text);

// Writes escapeXml(text) encoded as UTF-8 to
// dest, which must hold MaxEscapedBytesPerUnit x text.size() + 2 bytes
// ("&quot;" takes six bytes for one unit; the two more let each character
// be written with one 8-byte copy). Returns the number of bytes written.
inline constexpr size_t MaxEscapedBytesPerUnit = 6;
size_t escapeXmlUtf8Into(TextView text, char* dest);

#endif  // FLOWSVG_RENDER_SVG_DOCUMENT_H_
