#include "model/sample_file.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "text/paths.h"
#include "text/utf8.h"
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

int32_t holdsTheSample(TextView path) {
  std::string sample;
  for (TextView line : wording::SampleLines) {
    sample += encodeUtf8(line);
    sample += "\r\n";
  }
  std::ifstream in(std::filesystem::path(nativePath(path)), std::ios::binary);
  if (!in) return 0;
  // One byte more than the sample, to see a longer file as different.
  std::string bytes(sample.size() + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes == sample ? 1 : 0;
}
