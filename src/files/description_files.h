// Descriptions read from files and drawings and the sample written to files:
// the core's conversion joined to the platform's files, for the command
// line and the window. A failure is reported through the Reporter the
// caller hands in (the caption, the file, the system's reason) and the
// function's Status says it failed, with the same reason.
#ifndef FLOWSVG_FILES_DESCRIPTION_FILES_H_
#define FLOWSVG_FILES_DESCRIPTION_FILES_H_

#include <cstdint>
#include <string_view>

#include "base/clock.h"
#include "base/reporter.h"
#include "base/status.h"
#include "base/strings.h"
#include "files/drawing_format.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "platform/text_file.h"

// Reads the whole of an open description file into memory and fills the
// chart from it (parser.h), then closes the file. name is what a failure
// report calls the file ("-" for standard input). Fails after reporting
// OpenFailureCaption when it cannot be read (an I/O error, memory run
// out); the chart is then empty.
Status readDescriptionFile(Flowchart& chart, FileHandle file, TextView name,
                           Reporter& reporter,
                           DiagnosticsSink* sink = nullptr);

// The same for the file at path, which it opens.
Status parseDescription(Flowchart& chart, TextView path, Reporter& reporter,
                        DiagnosticsSink* sink = nullptr);

// Draws the chart (svg_document.h) into an open file, which stays open. An
// SVG's lines are handed on 64 KiB at a time; a PNG or PDF is drawn from
// the whole SVG in memory by the program's picture drawer
// (picture_drawing.h) and handed on as it is made.
// The file's own failures are told by finishWriting; a picture that cannot
// be drawn (its libraries or font missing, too large, PNG and PDF not in
// this build) is the Status, and part of it may be in the file. Memory
// running out throws std::bad_alloc. On either failure the caller abandons
// the file (abandonWriting).
Status writeDrawing(Flowchart& chart, FileHandle file, Timestamp generated,
                    const DrawingSettings& settings = {});

// Draws the chart, stamped with the present local time, in the format the
// extension of path names (drawing_format.h: formatOfPath), and writes it
// to path by createReplacement (text_file.h), so an earlier file at path
// keeps its content until the new one is complete. Fails after reporting
// CreateFailureCaption, with "SVG" in it the format's name, when it cannot
// be drawn or written; an earlier file at path is then left as it was.
Status generateSvg(Flowchart& chart, TextView path, Reporter& reporter);

// Writes the sample description (sample_description.h) to path through the
// same replace-when-complete writer. Fails after reporting
// SampleFailureCaption; an earlier file at path is then left as it was.
Status writeSampleFile(TextView path, Reporter& reporter);

// Whether the file at path holds exactly the bytes writeSampleFile writes
// (false also when it is missing or cannot be read).
bool holdsTheSample(TextView path);

#endif  // FLOWSVG_FILES_DESCRIPTION_FILES_H_
