// The platform-independent part of text files: cutting bytes into lines and
// decoding them, and collecting written lines into a buffer. The platform's
// file code (text_file-posix.cc, text_file-win32.cc) opens, reads, writes
// and replaces the files.
#include "platform/text_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/open_file.h"
#include "platform/system_error.h"
#include "base/utf8.h"

namespace {

// Appends the UTF-8 form of code point cp to out. A surrogate, which UTF-8
// has no form for, gets the three bytes the same formula gives (ED A0 80 to
// ED BF BF), which the UTF-8 decoder takes as not UTF-8.
void appendCodePoint(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Appends the UTF-8 form of the UTF-16 bytes (in the file's byte order)
// that follow file.carry to out. A unit or pair cut short by the end of the
// bytes waits in file.carry for the next ones, unless last: then a unit
// without its pair is written as appendCodePoint writes a surrogate, and an
// odd last byte as the byte FF, neither of them UTF-8.
void appendUtf16(TextFile& file, std::string_view bytes, bool last,
                 std::string& out) {
  std::string all = std::move(file.carry);
  all.append(bytes);
  const bool big = file.utf16 == 'B';
  const auto unitAt = [&](size_t at) {
    const auto first = static_cast<unsigned char>(all[at]);
    const auto second = static_cast<unsigned char>(all[at + 1]);
    return static_cast<char32_t>(big ? (first << 8) | second
                                     : (second << 8) | first);
  };
  out.reserve(out.size() + all.size() * 3 / 2 + 4);
  size_t at = 0;
  for (; at + 2 <= all.size(); at += 2) {
    const char32_t unit = unitAt(at);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (at + 4 > all.size() && !last) break;  // its pair comes later
      if (at + 4 <= all.size()) {
        const char32_t low = unitAt(at + 2);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          appendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00),
                          out);
          at += 2;
          continue;
        }
      }
    }
    appendCodePoint(unit, out);
  }
  if (last && at < all.size()) {
    out.push_back('\xFF');
    at = all.size();
  }
  file.carry.assign(all, at, std::string::npos);
}

// Reads the next bytes of a UTF-16 file and puts their UTF-8 form in the
// buffer; false at the end of the file (or after a read failure).
bool readUtf16Chunk(TextFile& file) {
  for (;;) {
    const bool got = readChunk(file);
    std::string decoded;
    appendUtf16(file, file.buffer, !got, decoded);
    file.buffer = std::move(decoded);
    file.next = 0;
    if (!file.buffer.empty()) return true;
    if (!got) return false;
  }
}

// Brings more bytes into a reading buffer whose bytes are all consumed;
// false at the end of the file (or after a read failure).
bool refill(TextFile& file) {
  if (file.next < file.buffer.size()) return true;
  if (file.exhausted || file.inMemory) return false;
  return file.utf16 != 0 ? readUtf16Chunk(file) : readChunk(file);
}

// Length of the run of bytes at the start of bytes that a line takes as
// they are: 0x01 to 0x7F except LF and CR. With SSE2 (every x86-64
// processor) sixteen bytes are tested at a time. Otherwise eight bytes at a
// time are let through by one cheap test that flags every byte below 0x0E
// or above 0x7F (and at times a byte after one of them); a flagged block is
// looked at byte by byte, and the scan goes on in blocks after it.
size_t plainLineRun(std::string_view bytes) {
  const size_t n = bytes.size();
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    // Bytes 0x80 and above are negative as signed bytes.
    const __m128i ends =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(1)),
                                  _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                     _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
#endif
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  for (;;) {
    for (; i + 8 <= n; i += 8) {
      uint64_t v;
      std::memcpy(&v, bytes.data() + i, 8);
      if ((((v - kOnes * 0x0E) | v) & kHighs) != 0) break;
    }
    const size_t block = std::min(n, i + 8);
    for (; i < block; ++i) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == 0 || c >= 0x80 || c == '\n' || c == '\r') return i;
    }
    if (i == n) return n;
  }
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
  file.lineReplaced = false;
  file.lineEndedAtNul = false;
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
    if (lead == '\n') break;
    if (lead == 0) {
      file.lineEndedAtNul = true;
      break;
    }
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
      file.lineReplaced = true;
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
        file.lineReplaced = true;
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
      file->linePlain = true;
      file->lineEndedAtNul = buffer[brk] == 0;
      file->next = brk + 1;
      if (buffer[brk] == '\r' && buffer[file->next] == '\n') ++file->next;
      return;
    }
  }
  file->linePlain = false;
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

bool lastLineEndedAtNul(FileHandle file) { return file->lineEndedAtNul; }

void takeByteOrderMark(FileHandle file) {
  TextFile& f = *file;
  // The first three bytes, however few each read brings.
  while (f.buffer.size() - f.next < 3 && !f.exhausted && !f.inMemory) {
    std::string start = f.buffer.substr(f.next);
    const bool got = readChunk(f);
    f.buffer.insert(0, start);
    f.next = 0;
    if (!got) break;
  }
  const std::string_view start = std::string_view(f.buffer).substr(f.next);
  if (start.starts_with("\xEF\xBB\xBF")) {
    f.next += 3;
    return;
  }
  const bool little = start.starts_with("\xFF\xFE");
  if (!little && !start.starts_with("\xFE\xFF")) return;
  f.utf16 = little ? 'L' : 'B';
  // What the buffer holds after the mark is UTF-16 as well.
  const std::string rest = f.buffer.substr(f.next + 2);
  std::string decoded;
  appendUtf16(f, rest, f.exhausted || f.inMemory, decoded);
  f.buffer = std::move(decoded);
  f.next = 0;
}

bool lastLineWasUtf8(FileHandle file) {
  return file->linePlain ||
         (!file->lineReplaced && isWellFormedUtf8(file->lineBytes));
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

LineRoom lineRoom(FileHandle file, size_t used, size_t more) {
  TextFile& f = *file;
  const size_t need = used + more;
  if (f.buildingLong) {
    if (f.longLine.size() < need) f.longLine.resize(2 * need);
    return {f.longLine.data(), f.longLine.size()};
  }
  constexpr size_t kRoom = WriteBufferSize - 2;  // CR LF always fit after
  if (need <= kRoom - f.waiting) {
    return {f.output.get() + f.waiting, kRoom - f.waiting};
  }
  char* const built = f.output.get() + f.waiting;
  if (need > kRoom) {
    // Longer than the whole buffer: built beside it from here on.
    f.longLine.assign(built, used);
    f.longLine.resize(2 * need);
    f.buildingLong = true;
    return {f.longLine.data(), f.longLine.size()};
  }
  // Hand the waiting bytes on, then move the line to the buffer's start.
  const size_t before = f.waiting;
  flushOutput(f);
  std::memmove(f.output.get(), f.output.get() + before, used);
  return {f.output.get(), kRoom};
}

void endLineInPlace(FileHandle file, size_t used, size_t keep) {
  TextFile& f = *file;
  if (f.buildingLong) {
    f.buildingLong = false;
    writeEncodedLine(file, std::string_view(f.longLine.data(), used));
    if (keep == 0) {
      std::string().swap(f.longLine);
      return;
    }
    // The start of the next line stays beside the buffer.
    f.longLine.erase(0, used + 2);
    f.buildingLong = true;
    return;
  }
  char* end = f.output.get() + f.waiting + used;
  end[0] = '\r';
  end[1] = '\n';
  f.waiting += used + 2;
}

void closeFile(FileHandle file) { finishWriting(file); }
