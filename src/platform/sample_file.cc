#include "platform/sample_file.h"

#include <string>

#include "model/sample.h"
#include "platform/wording.h"

void writeSampleLines(FileHandle file) {
  writeBytesOut(file, sampleDescriptionBytes());
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

int32_t holdsTheSample(TextView path) {
  const std::string sample = sampleDescriptionBytes();
  FileHandle file = openForReading(path);
  if (file == nullptr) return 0;
  // One byte more than the sample, to see a longer file as different.
  std::string bytes;
  readBytes(file, bytes, sample.size() + 1);
  const bool whole = readFailure(file).empty();
  closeFile(file);
  return whole && bytes == sample ? 1 : 0;
}
