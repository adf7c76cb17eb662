#include <cstdio>
#include <string>

#include "desktop/print.h"
#include "text/utf8.h"

bool printText(PrintStream stream, TextView text) {
  FILE* file = stream == PrintStream::Output ? stdout : stderr;
  const std::string bytes = encodeUtf8(text);
  const size_t put = std::fwrite(bytes.data(), 1, bytes.size(), file);
  return std::fflush(file) == 0 && put == bytes.size();
}
