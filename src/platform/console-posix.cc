// The program's words on POSIX systems: UTF-8 through the C streams.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "base/utf8.h"

void prepareStandardStreams() {}

void useParentConsole() {}

bool writeToStream(StandardStream stream, TextView text) {
  FILE* file = stream == StandardStream::Output ? stdout : stderr;
  // Encoded piece by piece on the stack: printing takes no memory, so a
  // message still gets out when memory has run out.
  constexpr size_t kUnits = 4096;
  char bytes[MaxUtf8BytesPerUnit * kUnits];
  bool ok = true;
  for (size_t at = 0; at < text.size();) {
    size_t units = std::min(kUnits, text.size() - at);
    const char16_t last = text[at + units - 1];
    if (at + units < text.size() && last >= 0xD800 && last <= 0xDBFF) {
      --units;  // a surrogate pair stays whole
    }
    const size_t size = encodeUtf8Into(text.substr(at, units), bytes);
    ok = std::fwrite(bytes, 1, size, file) == size && ok;
    at += units;
  }
  return std::fflush(file) == 0 && ok;
}

bool writeAsciiLine(StandardStream stream, TextView ascii) {
  char line[257];
  size_t size = 0;
  for (; size < ascii.size() && size < 255; ++size) {
    line[size] = static_cast<char>(ascii[size] & 0x7F);
  }
  line[size++] = '\n';
  FILE* file = stream == StandardStream::Output ? stdout : stderr;
  std::fflush(file);
  const int fd =
      stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
  return write(fd, line, size) == static_cast<ssize_t>(size);
}
