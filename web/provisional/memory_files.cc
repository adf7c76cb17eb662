// The file side of the converter in the WebAssembly module, where there are
// no files: a description is read from memory (openBytes) and the drawing is
// collected in memory, so no read or write ever reaches a platform file.
// These are the platform functions text_file.cc builds on, for that case.
#include "text/open_file.h"
#include "text/system_error.h"
#include "text/text_file.h"

struct Replacement {};

TextFile::TextFile() = default;
TextFile::~TextFile() = default;

bool readChunk(TextFile& file) {
  // Only files in memory exist, and their one buffer has been read.
  file.buffer.clear();
  file.next = 0;
  file.exhausted = true;
  return false;
}

bool writeBytes(TextFile& file, const char*, size_t) {
  noteFailure(file, u"no file can be written here");
  return false;
}

int finishWriting(FileHandle file, Text* reason) {
  if (file->writing) flushOutput(*file);
  const int ok = file->failed ? 0 : 1;
  if (!ok) setReason(reason, file->failure);
  delete file;
  return ok;
}

Text outOfMemoryReason() { return u"Cannot allocate memory"; }
