#include "platform/sample_file.h"

#include <string>

#include "model/sample.h"
#include "platform/wording.h"

void writeSampleLines(FileHandle file) {
  writeBytesOut(file, sampleDescriptionBytes());
}

Status writeSampleFile(TextView path, Reporter& reporter) {
  Text reason;
  FileHandle file = createReplacement(path, &reason);
  Status written = Status::failure(reason);
  if (file != nullptr) {
    writeSampleLines(file);
    written = finishWriting(file);
  }
  if (!written.ok()) {
    reporter.reportError(wording::SampleFailureCaption, path,
                         written.reason());
  }
  return written;
}

bool holdsTheSample(TextView path) {
  const std::string sample = sampleDescriptionBytes();
  FileHandle file = openForReading(path);
  if (file == nullptr) return false;
  // One byte more than the sample, to see a longer file as different.
  std::string bytes;
  readBytes(file, bytes, sample.size() + 1);
  const bool whole = readFailure(file).empty();
  closeFile(file);
  return whole && bytes == sample;
}
