// Writes a laid-out Flowchart as one SVG document, strictly forward, one
// CR LF line at a time: prolog and comments, definitions and styles,
// background and header, each section band followed by its item boxes, the
// connectors, the summary panel and the closing tag.
#ifndef FLOWSVG_RENDER_SVG_DOCUMENT_H_
#define FLOWSVG_RENDER_SVG_DOCUMENT_H_

#include <cstdint>
#include <vector>

#include "model/flowchart.h"
#include "base/clock.h"
#include "base/line_buffer.h"

// Lays the chart out and writes the whole document into out, with the
// given generation time in its timestamp comment. Running out of memory
// throws std::bad_alloc; what out holds is then to be thrown away.
//
// With accessible, the root also says what the drawing is to a screen
// reader: role="img" and aria-labelledby naming a <title> (the chart's
// title and subtitle) and a <desc> that reads the chart as text, a line for
// each band with its steps in order and one for each arrow. Without it the
// bytes are exactly those of the plain drawing.
void writeSvg(Flowchart& chart, LineBuffer& out, Timestamp generated,
              bool accessible = false);

// The <title> and <desc> texts of the accessible drawing: the title, and
// the reading one sentence per line (the chart laid out).
Text chartTitleText(const Flowchart& chart);
std::vector<Text> chartReading(const Flowchart& chart);

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
