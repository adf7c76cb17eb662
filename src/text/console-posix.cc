// The program's words on POSIX systems: UTF-8 through the C streams.
#include <cstdio>
#include <string>

#include "text/console.h"
#include "text/utf8.h"

void prepareStandardStreams() {}

void useParentConsole() {}

bool writeToStream(StandardStream stream, TextView text) {
  FILE* file = stream == StandardStream::Output ? stdout : stderr;
  const std::string bytes = encodeUtf8(text);
  const size_t put = std::fwrite(bytes.data(), 1, bytes.size(), file);
  return std::fflush(file) == 0 && put == bytes.size();
}
