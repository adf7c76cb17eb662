// Writing the ready-made sample description (model/sample.h) to a file, as
// the desktop's sample command and `flowsvg --sample` do.
#ifndef FLOWSVG_PLATFORM_SAMPLE_FILE_H_
#define FLOWSVG_PLATFORM_SAMPLE_FILE_H_

#include <cstdint>

#include "platform/reporter.h"
#include "base/strings.h"
#include "platform/text_file.h"

// Writes the sample description to path through the same replace-when-complete writer as
// the SVG. Ok when the file was written completely; otherwise failed after
// reporting SampleFailureCaption, path and the reason through reporter, with
// an earlier file at path left as it was.
Status writeSampleFile(TextView path, Reporter& reporter);

// Whether the file at path holds exactly the bytes writeSampleFile writes
// (false also when it is missing or cannot be read).
bool holdsTheSample(TextView path);

// Writes the sample description to an open file (for `flowsvg --sample -`).
// Does not close it.
void writeSampleLines(FileHandle file);

#endif  // FLOWSVG_PLATFORM_SAMPLE_FILE_H_
