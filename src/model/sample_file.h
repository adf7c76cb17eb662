// The ready-made sample description that the desktop's sample command and
// `flowsvg --sample` write.
#ifndef FLOWSVG_MODEL_SAMPLE_FILE_H_
#define FLOWSVG_MODEL_SAMPLE_FILE_H_

#include <cstdint>

#include "platform/reporter.h"
#include "base/strings.h"
#include "platform/text_file.h"

// Writes the 40 lines of the sample description (wording::SampleLines, each
// ended by CR LF) to path through the same replace-when-complete writer as
// the SVG. Returns 1 when the file was written completely; otherwise 0 after
// reporting SampleFailureCaption, path and the reason through reporter, with
// an earlier file at path left as it was.
int32_t writeSampleFile(TextView path, Reporter& reporter);

// 1 when the file at path holds exactly the bytes writeSampleFile writes,
// else 0 (also when it is missing or cannot be read).
int32_t holdsTheSample(TextView path);

// Writes the same 40 lines to an open file (for `flowsvg --sample -`). Does
// not close it.
void writeSampleLines(FileHandle file);

#endif  // FLOWSVG_MODEL_SAMPLE_FILE_H_
