// Fuzz target: reading description lines. Any bytes are read line by line
// from memory (LineReader) and must give exactly the lines of the reference
// splitter below, which follows the byte rules of description files one
// byte at a time; and read from a file (a memory-backed file opened by
// path, now and then behind a padding line that puts a chunk boundary of
// the file reader in the middle of the input) they must come back whole.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "base/line_reader.h"
#include "platform/text_file.h"
#include "base/utf8.h"

namespace {

// The next line of bytes from pos: units are a byte below 0x80, a lead byte
// C0..F7 with up to 1..3 following bytes that are not LF, CR or 0x00 (a
// unit cut short by the end is dropped and ends the line; one cut short by
// such a byte stays as it is, and the byte ends the line), or "?" for any
// other byte. LF, CR or 0x00 end the line; CR LF counts as one break.
std::string referenceLine(const std::string& bytes, size_t& pos) {
  std::string line;
  while (pos < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[pos++]);
    size_t follow = lead >= 0xC0 && lead <= 0xDF   ? 1
                    : lead >= 0xE0 && lead <= 0xEF ? 2
                    : lead >= 0xF0 && lead <= 0xF7 ? 3
                                                   : 0;
    if (follow > 0) {
      size_t taken = 0;
      while (taken < follow && pos + taken < bytes.size() &&
             bytes[pos + taken] != '\n' && bytes[pos + taken] != '\r' &&
             bytes[pos + taken] != 0) {
        ++taken;
      }
      if (taken < follow && pos + taken == bytes.size()) {
        pos = bytes.size();
        break;
      }
      line += bytes.substr(pos - 1, taken + 1);
      pos += taken;
    } else if (lead >= 0x80) {
      line.push_back('?');
    } else if (lead == '\n' || lead == 0) {
      break;
    } else if (lead == '\r') {
      if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
      break;
    } else {
      line.push_back(static_cast<char>(lead));
    }
  }
  return line;
}

std::vector<Text> referenceLines(const std::string& bytes) {
  std::vector<Text> lines;
  size_t pos = 0;
  while (pos < bytes.size())
    lines.push_back(decodeUtf8(referenceLine(bytes, pos)));
  return lines;
}

std::vector<Text> readAll(const std::string& bytes) {
  LineReader reader(bytes);
  std::vector<Text> lines;
  while (!reader.atEnd()) lines.push_back(reader.readLine());
  FUZZ_CHECK(reader.readLine().empty(), "readLine at the end gives nothing",
             "");
  FUZZ_CHECK(reader.atEnd(), "atEnd stays true at the end", "");
  return lines;
}

void compare(const std::vector<Text>& got, const std::vector<Text>& want,
             const char* what) {
  std::string detail = "got " + std::to_string(got.size()) + " lines, want " +
                       std::to_string(want.size());
  for (size_t k = 0; k < got.size() || k < want.size(); ++k) {
    Text g = k < got.size() ? got[k] : u"<none>";
    Text w = k < want.size() ? want[k] : u"<none>";
    if (g != w) {
      detail += "\nline " + std::to_string(k + 1) + ": got " + showText(g) +
                " want " + showText(w);
      break;
    }
  }
  FUZZ_CHECK(got == want, what, detail);
}

// One memory-backed file for the whole run, reopened by path each time.
int backingFile() {
  static const int fd = memfd_create("flowsvg-fuzz-lines", MFD_CLOEXEC);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<Text> want = referenceLines(bytes);
  compare(readAll(bytes), want, "lines read from memory");

  // For one input in eight a line of padding comes first, so that the
  // reader's chunk boundary falls in the middle of the input (long lines are
  // slow under coverage instrumentation, hence not for every input).
  std::string padded = bytes;
  if (size % 8 == 0) {
    const size_t pad = ReadChunkSize - 1 - size / 2 % ReadChunkSize;
    padded = std::string(pad, 'p') + "\n" + bytes;
  }
  int fd = backingFile();
  FUZZ_CHECK(fd >= 0, "memfd_create", "");
  FUZZ_CHECK(
      ftruncate(fd, 0) == 0 && pwrite(fd, padded.data(), padded.size(), 0) ==
                                   static_cast<ssize_t>(padded.size()),
      "filling the backing file", "");
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  FileHandle file = openForReading(Text(path.begin(), path.end()));
  FUZZ_CHECK(file != nullptr, "opening the backing file by path", path);
  std::string read;
  readBytes(file, read, SIZE_MAX);
  FUZZ_CHECK(readFailure(file).empty(), "reading the backing file", "");
  closeFile(file);
  FUZZ_CHECK(read == padded, "a file's bytes come back whole",
             std::to_string(read.size()) + " of " +
                 std::to_string(padded.size()));
  return 0;
}
