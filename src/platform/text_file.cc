// The platform-independent part of text files: handing the bytes read to
// the line reader (base/line_reader.h), and collecting written lines into a
// buffer. The platform's
// file code (text_file-posix.cc, text_file-win32.cc) opens, reads, writes
// and replaces the files.
#include "platform/text_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "base/line_reader.h"
#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "base/utf8.h"

namespace {

// Brings more bytes into a reading buffer whose bytes are all consumed;
// false at the end of the file (or after a read failure).
bool refill(TextFile& file) {
  if (file.next < file.buffer.size()) return true;
  if (file.exhausted || file.inMemory) return false;
  return readChunk(file);
}

// The line reader over the rest of the file, which is read into memory in
// one go the first time a line is asked for. Running out of memory there
// ends the reading, with the reason kept for readFailure.
LineReader& linesOf(TextFile& file) {
  if (!file.lines) {
    try {
      file.content.assign(file.buffer, file.next);
      file.next = file.buffer.size();
      if (!file.exhausted && !file.inMemory) {
        while (readChunk(file)) file.content += file.buffer;
      }
      file.buffer.clear();
      file.next = 0;
    } catch (const std::bad_alloc&) {
      std::string().swap(file.content);
      file.buffer.clear();
      file.next = 0;
      file.exhausted = true;
      noteFailure(file, outOfMemoryReason());
    }
    file.exhausted = true;
    file.inMemory = true;
    file.lines = std::make_unique<LineReader>(file.content);
  }
  return *file.lines;
}

}  // namespace

void noteFailure(TextFile& file, Text reason) {
  if (file.failed) return;
  file.failed = true;
  file.failure = std::move(reason);
}

void setReason(Text* reason, Text text) {
  if (reason != nullptr) *reason = std::move(text);
}

TextFile* adoptNative(intptr_t native, bool writing, bool owns) {
  auto* file = new TextFile;
  file->native = native;
  file->writing = writing;
  file->ownsNative = owns;
  if (writing) {
    file->output = std::make_unique_for_overwrite<char[]>(WriteBufferSize);
  }
  return file;
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
  LineReader& lines = linesOf(*file);
  try {
    lines.readLineInto(line);
  } catch (const std::bad_alloc&) {
    // A line too long for the memory there is: the reading ends here, and
    // the reader learns why from readFailure.
    Text().swap(line);
    file->lines = std::make_unique<LineReader>(std::string_view());
    noteFailure(*file, outOfMemoryReason());
  }
}

bool lastLineEndedAtNul(FileHandle file) {
  return linesOf(*file).lastLineEndedAtNul();
}

void takeByteOrderMark(FileHandle file) {
  try {
    linesOf(*file).takeByteOrderMark();
  } catch (const std::bad_alloc&) {
    file->lines = std::make_unique<LineReader>(std::string_view());
    noteFailure(*file, outOfMemoryReason());
  }
}

bool lastLineWasUtf8(FileHandle file) {
  return linesOf(*file).lastLineWasUtf8();
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

int atEnd(FileHandle file) {
  if (file->lines) return file->lines->atEnd() ? 1 : 0;
  return refill(*file) ? 0 : 1;
}

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

void writeBytesOut(FileHandle file, std::string_view bytes) {
  flushOutput(*file);
  if (file->failed || bytes.empty()) return;
  if (file->collecting) {
    file->collected.append(bytes);
  } else {
    writeBytes(*file, bytes.data(), bytes.size());
  }
}

namespace {

// Reads what is left of an open file into bytes and closes it.
Status readRest(FileHandle file, std::string& bytes) {
  Status status;
  try {
    while (readBytes(file, bytes, ReadChunkSize) > 0) {
    }
    if (!readFailure(file).empty()) {
      status = Status::failure(Text(readFailure(file)));
    }
  } catch (const std::bad_alloc&) {
    std::string().swap(bytes);
    status = Status::outOfMemory();
  }
  closeFile(file);
  return status;
}

}  // namespace

Status readWholeFile(TextView path, std::string& bytes) {
  Text reason;
  FileHandle file = openForReading(path, &reason);
  if (file == nullptr) return Status::failure(std::move(reason));
  // Room for the whole file at once, so that the bytes are not moved as
  // they come (the size is a hint: the file may change meanwhile).
  const int64_t size = fileSizeOf(path);
  if (size > 0 && size < (int64_t{1} << 40)) {
    try {
      bytes.reserve(static_cast<size_t>(size) + 1);
    } catch (const std::bad_alloc&) {
      closeFile(file);
      return Status::outOfMemory();
    }
  }
  return readRest(file, bytes);
}

Status readStandardInputBytes(std::string& bytes) {
  Text reason;
  FileHandle file = openStandardInput(&reason);
  if (file == nullptr) return Status::failure(std::move(reason));
  return readRest(file, bytes);
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

void closeFile(FileHandle file) { (void)finishWriting(file); }
