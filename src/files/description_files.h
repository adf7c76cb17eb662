// Descriptions read from files and drawings and the sample written to files:
// the core's conversion joined to the platform's files, for the command
// line and the window. A failure is reported through the Reporter the
// caller hands in (the caption, the file, the system's reason) and the
// function returns 0; 1 means done.
#ifndef FLOWSVG_FILES_DESCRIPTION_FILES_H_
#define FLOWSVG_FILES_DESCRIPTION_FILES_H_

#include <cstdint>
#include <string_view>

#include "base/clock.h"
#include "base/reporter.h"
#include "base/strings.h"
#include "model/diagnostics.h"
#include "model/flowchart.h"
#include "platform/text_file.h"

// Reads the whole of an open description file into memory and fills the
// chart from it (parser.h), then closes the file. name is what a failure
// report calls the file ("-" for standard input). 0 after reporting
// OpenFailureCaption when it cannot be read (an I/O error, memory run
// out); the chart is then empty.
int32_t readDescriptionFile(Flowchart& chart, FileHandle file, TextView name,
                            Reporter& reporter,
                            DiagnosticsSink* sink = nullptr);

// The same for the file at path, which it opens.
int32_t parseDescription(Flowchart& chart, TextView path, Reporter& reporter,
                         DiagnosticsSink* sink = nullptr);

// Draws the chart (svg_document.h) into an open file, which stays open, its
// lines handed on 64 KiB at a time; the file's own failures are told by
// finishWriting. Memory running out throws std::bad_alloc: the caller then
// abandons the file (abandonWriting).
void writeDrawing(Flowchart& chart, FileHandle file, Timestamp generated);

// Draws the chart, stamped with the present local time, and writes it to
// path by createReplacement (text_file.h), so an earlier file at path keeps
// its content until the new one is complete. 0 after reporting
// CreateFailureCaption when it cannot be drawn (memory) or written; an
// earlier file at path is then left as it was.
int32_t generateSvg(Flowchart& chart, TextView path, Reporter& reporter);

// Writes the sample description (sample_description.h) to path through the
// same replace-when-complete writer. 0 after reporting SampleFailureCaption;
// an earlier file at path is then left as it was.
int32_t writeSampleFile(TextView path, Reporter& reporter);

// 1 when the file at path holds exactly the bytes writeSampleFile writes,
// else 0 (also when it is missing or cannot be read).
int32_t holdsTheSample(TextView path);

#endif  // FLOWSVG_FILES_DESCRIPTION_FILES_H_
