// Reads a flowchart description file into a Flowchart.
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

#include <cstdint>

#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "platform/reporter.h"
#include "platform/text_file.h"

// A description may begin with a byte-order mark: a UTF-8 one is skipped,
// and a UTF-16 one makes the file read as the same text in UTF-8 would
// (text_file.h: takeByteOrderMark).
//
// Empties the chart, then fills it from the description file at path.
// Returns 1 when the file was opened and read to its end (whatever it held);
// 0 when it cannot be opened or read, after reporting OpenFailureCaption,
// the path and the reason through reporter. The chart is left empty on 0.
//
// With a sink, the parser also tells it about every line that has no effect
// or only part of it (diagnostics.h); the chart comes out the same with or
// without one.
int32_t parseDescription(Flowchart& chart, TextView path, Reporter& reporter,
                         DiagnosticsSink* sink = nullptr);

// Empties the chart and fills it from an already opened file, which it then
// closes. Used for standard input and for descriptions held in memory. name
// is what a failure report calls the file ("-" for standard input). Returns
// 1, or 0 after reporting a read failure (an I/O error, memory run out), with
// the chart left empty. sink as for parseDescription.
int32_t readDescription(Flowchart& chart, FileHandle file, TextView name,
                        Reporter& reporter, DiagnosticsSink* sink = nullptr);

#endif  // FLOWSVG_MODEL_PARSER_H_
