// The converter's files, for the window: a description read from a file and
// a drawing written to one, with failures told through a Reporter.
#ifndef FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_
#define FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_

#include "base/status.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "platform/reporter.h"

// Empties the chart, then fills it from the description file at path, read
// into memory in one go (model/parser.h: parseDescription, sink as there).
// Fails when the file cannot be opened or read (memory running out
// included), after reporting OpenFailureCaption, the path and the reason
// through reporter; the chart is then left empty.
Status readDescriptionFile(Flowchart& chart, TextView path, Reporter& reporter,
                           DiagnosticsSink* sink = nullptr);

// Lays the chart out and writes its drawing to path, stamped with the
// present local time. The document is made in memory, then written by
// createReplacement (text_file.h), so an earlier file at path keeps its
// content until the new one is complete. Fails when the file cannot be
// created, written or closed (memory running out included), after
// reporting CreateFailureCaption, path and the reason through reporter; an
// earlier file at path is then left as it was.
Status writeSvgFile(Flowchart& chart, TextView path, Reporter& reporter);

#endif  // FLOWSVG_PLATFORM_DESCRIPTION_FILES_H_
