#include "model/sample_description.h"

#include "base/utf8.h"
#include "base/wording.h"

std::string sampleDescription() {
  std::string bytes;
  for (TextView line : wording::SampleLines) {
    bytes += encodeUtf8(line);
    bytes += "\r\n";
  }
  return bytes;
}
