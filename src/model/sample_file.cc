#include "model/sample_file.h"

#include "text/wording.h"

void writeSampleLines(FileHandle file) {
  for (TextView line : wording::SampleLines) writeLine(file, line);
}

int32_t writeSampleFile(TextView path, Reporter& reporter) {
  Text reason;
  FileHandle file = createReplacement(path, &reason);
  int32_t written = 0;
  if (file != nullptr) {
    writeSampleLines(file);
    written = finishWriting(file, &reason);
  }
  if (written == 0) {
    reporter.reportError(wording::SampleFailureCaption, path, reason);
  }
  return written;
}
