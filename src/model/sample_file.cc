#include "model/sample_file.h"

#include "text/wording.h"

void writeSampleLines(FileHandle file) {
  for (TextView line : wording::SampleLines) writeLine(file, line);
}

int32_t writeSampleFile(TextView path, Reporter& reporter) {
  FileHandle file = createReplacement(path);
  int32_t written = 0;
  if (file != nullptr) {
    writeSampleLines(file);
    written = finishWriting(file);
  }
  if (written == 0) {
    Text message(wording::CreateFailureCaption);
    reporter.reportError(message + Text(path));
  }
  return written;
}
