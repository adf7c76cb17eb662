// The converter's files: a description read from a file and a drawing
// written to one, for the window with failures told through a Reporter.
#ifndef FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_
#define FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_

#include "base/calendar.h"
#include "base/status.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "platform/reporter.h"
#include "platform/text_file.h"

// Empties the chart, then fills it from the description file at path, read
// into memory in one go (model/parser.h: parseDescription, sink as there).
// Fails when the file cannot be opened or read (memory running out
// included), after reporting OpenFailureCaption, the path and the reason
// through reporter; the chart is then left empty.
Status readDescriptionFile(Flowchart& chart, TextView path, Reporter& reporter,
                           DiagnosticsSink* sink = nullptr);

// Lays the chart out and writes its drawing to path, stamped with the
// present local time. The document is written by createReplacement
// (text_file.h), so an earlier file at path keeps its
// content until the new one is complete. Fails when the file cannot be
// created, written or closed (memory running out included), after
// reporting CreateFailureCaption, path and the reason through reporter; an
// earlier file at path is then left as it was.
Status writeSvgFile(Flowchart& chart, TextView path, Reporter& reporter);

// Lays the chart out and writes its drawing to an open file, the lines built
// in a buffer of the writer's and handed to the file in large pieces. Does
// not close the file. Memory running out throws std::bad_alloc.
void writeSvgToFile(Flowchart& chart, FileHandle file, Timestamp generated);

#endif  // FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_
