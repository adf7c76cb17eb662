// The platform-independent part of files: handing read bytes on, and
// collecting written lines into a buffer. The platform's
// file code (text_file-posix.cc, text_file-win32.cc) opens, reads, writes
// and replaces the files.
#include "platform/text_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>


#include "platform/open_file.h"
#include "platform/system_error.h"
#include "base/utf8.h"

namespace {

// Brings more bytes into a reading buffer whose bytes are all consumed;
// false at the end of the file (or after a read failure).
bool refill(TextFile& file) {
  if (file.next < file.buffer.size()) return true;
  if (file.exhausted) return false;
  return readChunk(file);
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
void writeContent(FileHandle file, std::string_view bytes) {
  if (bytes.size() <= WriteBufferSize - file->waiting) {
    if (!bytes.empty()) {
      std::memcpy(file->output.get() + file->waiting, bytes.data(),
                  bytes.size());
    }
    file->waiting += bytes.size();
    return;
  }
  // More than the buffer holds: what waits goes first, then the bytes
  // straight on, without a copy.
  flushOutput(*file);
  if (file->failed) return;
  if (file->collecting) {
    file->collected.append(bytes);
  } else {
    writeBytes(*file, bytes.data(), bytes.size());
  }
}

void closeFile(FileHandle file) { (void)finishWriting(file); }

Status readWholeFile(TextView path, std::string* bytes) {
  Text reason;
  FileHandle file = openForReading(path, &reason);
  if (file == nullptr) return Status::error(reason);
  bytes->clear();
  while (readBytes(file, *bytes, ReadChunkSize) > 0) {
  }
  const Text failure(readFailure(file));
  closeFile(file);
  if (!failure.empty()) return Status::error(failure);
  return Status();
}

Status replaceWholeFile(TextView path, std::string_view bytes) {
  Text reason;
  FileHandle file = createReplacement(path, &reason);
  if (file == nullptr) return Status::error(reason);
  writeContent(file, bytes);
  return finishWriting(file);
}
