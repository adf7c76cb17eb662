// The platform-independent part of text files: cutting bytes into lines and
// decoding them, and collecting written lines into a buffer. The platform's
// file code (text_file-posix.cc, text_file-win32.cc) opens, reads, writes
// and replaces the files.
#include "text/text_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "text/open_file.h"
#include "text/system_error.h"
#include "text/utf8.h"

namespace {

// Brings more bytes into a reading buffer whose bytes are all consumed;
// false at the end of the file (or after a read failure).
bool refill(TextFile& file) {
  if (file.next < file.buffer.size()) return true;
  if (file.exhausted || file.inMemory) return false;
  return readChunk(file);
}

// Length of the run of bytes at the start of bytes that a line takes as
// they are: 0x01 to 0x7F except LF and CR. Checks eight bytes at a time.
size_t plainLineRun(std::string_view bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  auto hasZeroByte = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  const size_t n = bytes.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t v;
    std::memcpy(&v, bytes.data() + i, 8);
    if (((v & kHighs) | hasZeroByte(v) | hasZeroByte(v ^ (kOnes * '\n')) |
         hasZeroByte(v ^ (kOnes * '\r'))) != 0) {
      break;
    }
  }
  for (; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0 || c >= 0x80 || c == '\n' || c == '\r') break;
  }
  return i;
}

// Reads one byte; -1 at the end of the file.
int takeByte(TextFile& file) {
  if (!refill(file)) return -1;
  return static_cast<unsigned char>(file.buffer[file.next++]);
}

// The next byte without taking it; -1 at the end of the file.
int peekByte(TextFile& file) {
  if (!refill(file)) return -1;
  return static_cast<unsigned char>(file.buffer[file.next]);
}

bool endsLine(int byte) { return byte == '\n' || byte == '\r' || byte == 0; }

// Collects the bytes of the next line into file.lineBytes, without its line
// break, which is consumed.
void collectLine(TextFile& file) {
  std::string& bytes = file.lineBytes;
  bytes.clear();
  for (;;) {
    // Fast path: a run of plain ASCII bytes other than CR and LF.
    if (file.next < file.buffer.size()) {
      const size_t run =
          plainLineRun(std::string_view(file.buffer).substr(file.next));
      bytes.append(file.buffer, file.next, run);
      file.next += run;
    }
    int lead = takeByte(file);
    if (lead < 0) break;
    if (lead == '\n' || lead == 0) break;
    if (lead == '\r') {
      if (peekByte(file) == '\n') ++file.next;
      break;
    }
    if (lead < 0x80) {
      bytes.push_back(static_cast<char>(lead));
      continue;
    }
    int follow = lead >= 0xC0 && lead <= 0xDF   ? 1
                 : lead >= 0xE0 && lead <= 0xEF ? 2
                 : lead >= 0xF0 && lead <= 0xF7 ? 3
                                                : -1;
    if (follow < 0) {
      bytes.push_back('?');  // 80..BF alone, F8..FF
      continue;
    }
    // A lead byte takes its following bytes, but never a byte that ends the
    // line: the unit stops before it, and its incomplete sequence decodes
    // as U+FFFD. A unit cut short by the end of the file is dropped.
    const size_t unitStart = bytes.size();
    bytes.push_back(static_cast<char>(lead));
    for (int k = 0; k < follow; ++k) {
      const int byte = peekByte(file);
      if (byte < 0) {
        bytes.resize(unitStart);
        return;
      }
      if (endsLine(byte)) break;
      bytes.push_back(static_cast<char>(byte));
      ++file.next;
    }
  }
}

}  // namespace

void noteFailure(TextFile& file, Text reason) {
  if (file.failed) return;
  file.failed = true;
  file.failure = std::move(reason);
}

void flushOutput(TextFile& file) {
  if (!file.failed && file.waiting > 0) {
    if (file.collecting) {
      file.collected.append(file.output.get(), file.waiting);
    } else {
      writeBytes(file, file.output.get(), file.waiting);
    }
  }
  file.waiting = 0;
}

FileHandle openBytes(std::string bytes) {
  auto* file = new TextFile;
  file->buffer = std::move(bytes);
  file->inMemory = true;
  file->ownsNative = false;
  return file;
}

Text readLine(FileHandle file) {
  Text line;
  readLineInto(file, line);
  return line;
}

void readLineInto(FileHandle file, Text& line) {
  // The common case: the whole line is plain ASCII lying in the buffer with
  // its line break (and, after a CR, the byte that may be its LF).
  const std::string& buffer = file->buffer;
  if (file->next < buffer.size()) {
    const size_t run =
        plainLineRun(std::string_view(buffer).substr(file->next));
    const size_t brk = file->next + run;
    if (brk < buffer.size() &&
        (buffer[brk] == '\n' || buffer[brk] == 0 ||
         (buffer[brk] == '\r' && brk + 1 < buffer.size()))) {
      widenAsciiInto(std::string_view(buffer).substr(file->next, run), line);
      file->next = brk + 1;
      if (buffer[brk] == '\r' && buffer[file->next] == '\n') ++file->next;
      return;
    }
  }
  try {
    collectLine(*file);
    decodeUtf8Into(file->lineBytes, line);
  } catch (const std::bad_alloc&) {
    // A line too long for the memory there is: the reading ends here, and
    // the reader learns why from readFailure.
    std::string().swap(file->lineBytes);
    Text().swap(line);
    file->buffer.clear();
    file->next = 0;
    file->exhausted = true;
    file->inMemory = false;
    noteFailure(*file, outOfMemoryReason());
  }
}

size_t readBytes(FileHandle file, std::string& out, size_t most) {
  size_t taken = 0;
  while (taken < most && refill(*file)) {
    const size_t run = std::min(most - taken, file->buffer.size() - file->next);
    out.append(file->buffer, file->next, run);
    file->next += run;
    taken += run;
  }
  return taken;
}

int atEnd(FileHandle file) { return refill(*file) ? 0 : 1; }

TextView readFailure(FileHandle file) {
  return file->writing ? TextView() : TextView(file->failure);
}

void writeLine(FileHandle file, TextView text) {
  const size_t most = MaxUtf8BytesPerUnit * text.size() + 2;
  if (most > WriteBufferSize) {
    writeEncodedLine(file, encodeUtf8(text));
    return;
  }
  if (most > WriteBufferSize - file->waiting) flushOutput(*file);
  char* end = file->output.get() + file->waiting;
  end += encodeUtf8Into(text, end);
  *end++ = '\r';
  *end++ = '\n';
  file->waiting = static_cast<size_t>(end - file->output.get());
}

void writeEncodedLine(FileHandle file, std::string_view utf8) {
  const size_t size = utf8.size() + 2;
  if (size > WriteBufferSize - file->waiting) flushOutput(*file);
  if (size > WriteBufferSize) {
    // A line longer than the buffer goes straight on, without a copy.
    if (file->failed) return;
    if (file->collecting) {
      file->collected.append(utf8);
      file->collected.append("\r\n");
    } else if (writeBytes(*file, utf8.data(), utf8.size())) {
      writeBytes(*file, "\r\n", 2);
    }
    return;
  }
  char* end = file->output.get() + file->waiting;
  std::memcpy(end, utf8.data(), utf8.size());
  end[utf8.size()] = '\r';
  end[utf8.size() + 1] = '\n';
  file->waiting += size;
}

void closeFile(FileHandle file) { finishWriting(file); }
