// Reads a flowchart description into a Flowchart.
//
// The format, line by line after trimming spaces: blank lines and lines
// starting with "#" or ";" are ignored; "[name]" makes name the current
// section; "key = value" (split at the first "=") does what the current
// section says: in [Header] subtitle and company set the header lines, in
// [Summary] text sets the summary, in any other section itemid starts a new
// item and fromid, image, title and every other key fill the current item.
// Nothing in the content of a file is an error; capacity limits drop what
// does not fit without a message.
#ifndef FLOWSVG_MODEL_PARSER_H_
#define FLOWSVG_MODEL_PARSER_H_

#include <string_view>

#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "base/status.h"

// Empties the chart, then fills it from the bytes of a description file
// held in memory (line_reader.h: the lines and their byte-order mark).
// Nothing in the content is an error: the result fails only when memory
// runs out, and then the chart is left empty.
//
// With a sink, the parser also tells it about every line that has no effect
// or only part of it (diagnostics.h); the chart comes out the same with or
// without one.
Status readDescription(Flowchart& chart, std::string_view bytes,
                       DiagnosticsSink* sink = nullptr);

#endif  // FLOWSVG_MODEL_PARSER_H_
