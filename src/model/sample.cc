#include "model/sample.h"

#include "base/utf8.h"
#include "model/keywords.h"

std::string sampleDescriptionBytes() {
  std::string sample;
  for (const std::u16string_view line : wording::SampleLines) {
    sample += encodeUtf8(line);
    sample += "\r\n";
  }
  return sample;
}
