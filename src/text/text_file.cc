#include "text/text_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "text/paths.h"
#include "text/utf8.h"

// One open file. Reading refills `buffer` with up to ReadChunkSize bytes at a
// time; writing collects whole lines in `output` and hands them to the
// operating system in chunks of up to kWriteBufferSize bytes.
struct OpenFile {
  int fd = -1;
  bool ownsFd = true;  // false for standard input and output
  bool writing = false;
  bool failed = false;             // a write, close or rename went wrong
  std::string buffer;              // reading: bytes of the last refill
  size_t next = 0;                 // reading: first unread byte in buffer
  std::string lineBytes;           // reading: the current line's bytes, reused
  std::unique_ptr<char[]> output;  // writing: bytes not yet written
  size_t waiting = 0;              // writing: how many bytes wait in output
  bool exhausted = false;          // reading: end of file (or a read error) met
  bool inMemory = false;           // reading: buffer is the whole content
  // Replacement: the temporary file takes the target's place when complete.
  std::string tempPath;
  std::string targetPath;
  int targetLockFd = -1;
};

namespace {

// An SVG document is written in few system calls.
constexpr size_t kWriteBufferSize = 64 * 1024;

// Takes the exclusive advisory lock without waiting; false when another
// holder has it.
bool lockExclusively(int fd) {
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool isFolder(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

// Brings more bytes into a reading buffer whose bytes are all consumed;
// false at the end of the file.
bool refill(OpenFile& file) {
  if (file.next < file.buffer.size()) return true;
  if (file.exhausted || file.inMemory) return false;
  file.buffer.resize(ReadChunkSize);
  file.next = 0;
  for (;;) {
    ssize_t got = read(file.fd, file.buffer.data(), ReadChunkSize);
    if (got > 0) {
      file.buffer.resize(static_cast<size_t>(got));
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    // 0 is the end of the file; a read error ends the reading the same way.
    file.buffer.clear();
    file.exhausted = true;
    return false;
  }
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
int takeByte(OpenFile& file) {
  if (!refill(file)) return -1;
  return static_cast<unsigned char>(file.buffer[file.next++]);
}

bool writeAll(OpenFile& file, const char* data, size_t size) {
  while (size > 0) {
    ssize_t put = write(file.fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      file.failed = true;
      return false;
    }
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

void flush(OpenFile& file) {
  if (!file.failed && file.waiting > 0) {
    writeAll(file, file.output.get(), file.waiting);
  }
  file.waiting = 0;
}

FileHandle adopt(int fd, bool writing, bool ownsFd) {
  auto* file = new OpenFile;
  file->fd = fd;
  file->writing = writing;
  file->ownsFd = ownsFd;
  if (writing) file->output = std::make_unique<char[]>(kWriteBufferSize);
  return file;
}

// Opens path with the given flags, locks it and makes sure it is no folder;
// -1 on any failure, with nothing left open.
int openLocked(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (isFolder(fd) || !lockExclusively(fd)) {
    close(fd);
    return -1;
  }
  return fd;
}

mode_t currentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

void removeTemporary(OpenFile& file) {
  if (!file.tempPath.empty()) unlink(file.tempPath.c_str());
  file.tempPath.clear();
}

}  // namespace

FileHandle openForReading(TextView path) {
  int fd = openLocked(nativePath(path), O_RDONLY);
  return fd < 0 ? nullptr : adopt(fd, false, true);
}

FileHandle openStandardInput() {
  // A closed standard input cannot be read; it is not an empty description.
  if (fcntl(STDIN_FILENO, F_GETFD) < 0) return nullptr;
  return adopt(STDIN_FILENO, false, false);
}

FileHandle openBytes(std::string bytes) {
  auto* file = new OpenFile;
  file->buffer = std::move(bytes);
  file->inMemory = true;
  file->ownsFd = false;
  return file;
}

FileHandle createForWriting(TextView path) {
  std::string native = nativePath(path);
  // Lock before cutting, so a file another holder has open keeps its bytes.
  int fd = openLocked(native, O_RDWR | O_CREAT);
  if (fd < 0) fd = openLocked(native, O_WRONLY);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, 0) != 0) {
    close(fd);
    return nullptr;
  }
  return adopt(fd, true, true);
}

FileHandle createReplacement(TextView path) {
  std::string target = nativePath(path);
  if (target.empty()) return nullptr;
  // Writing through a symbolic link replaces the file it points to.
  struct stat info;
  if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* resolved = realpath(target.c_str(), nullptr)) {
      target = resolved;
      free(resolved);
    }
  }
  bool exists = stat(target.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    // A device or pipe (/dev/null, /dev/stdout) is written in place: renaming
    // a file over it would replace the device node itself.
    int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    return fd < 0 ? nullptr : adopt(fd, true, true);
  }
  int targetLock = -1;
  if (exists) {
    // A folder, a file we may not write, or one another instance holds
    // cannot be replaced.
    if (S_ISDIR(info.st_mode) || access(target.c_str(), W_OK) != 0) {
      return nullptr;
    }
    targetLock = openLocked(target, O_RDONLY);
    if (targetLock < 0) return nullptr;
  }
  size_t slash = target.rfind('/');
  std::string folder =
      slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name =
      slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = folder + "." + name + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    if (targetLock >= 0) close(targetLock);
    return nullptr;
  }
  // The finished file gets the permission bits (and, where allowed, the
  // owner) of the file it replaces, or those of a newly created file.
  if (exists) {
    fchmod(fd, info.st_mode & 07777);
    if (fchown(fd, info.st_uid, info.st_gid) != 0) {
      // Only the owner's permission bits matter to most users; keep going.
    }
  } else {
    fchmod(fd, 0666 & ~currentUmask());
  }
  FileHandle file = adopt(fd, true, true);
  file->tempPath = temp;
  file->targetPath = target;
  file->targetLockFd = targetLock;
  return file;
}

FileHandle attachStandardOutput() { return adopt(STDOUT_FILENO, true, false); }

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
  std::string& bytes = file->lineBytes;
  bytes.clear();
  for (;;) {
    // Fast path: a run of plain ASCII bytes other than CR and LF.
    if (file->next < file->buffer.size()) {
      const size_t run =
          plainLineRun(std::string_view(file->buffer).substr(file->next));
      bytes.append(file->buffer, file->next, run);
      file->next += run;
    }
    int lead = takeByte(*file);
    if (lead < 0) break;
    if (lead == '\n' || lead == 0) break;
    if (lead == '\r') {
      if (refill(*file) && file->buffer[file->next] == '\n') ++file->next;
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
    // A lead byte takes its following bytes whatever they are, a line break
    // included; a unit cut short by the end of the file is dropped.
    const size_t unitStart = bytes.size();
    bytes.push_back(static_cast<char>(lead));
    bool complete = true;
    for (int k = 0; k < follow; ++k) {
      const int byte = takeByte(*file);
      if (byte < 0) {
        complete = false;
        break;
      }
      bytes.push_back(static_cast<char>(byte));
    }
    if (!complete) {
      bytes.resize(unitStart);
      break;
    }
  }
  decodeUtf8Into(bytes, line);
}

int atEnd(FileHandle file) { return refill(*file) ? 0 : 1; }

void writeLine(FileHandle file, TextView text) {
  const size_t most = MaxUtf8BytesPerUnit * text.size() + 2;
  if (most > kWriteBufferSize) {
    writeEncodedLine(file, encodeUtf8(text));
    return;
  }
  if (most > kWriteBufferSize - file->waiting) flush(*file);
  char* end = file->output.get() + file->waiting;
  end += encodeUtf8Into(text, end);
  *end++ = '\r';
  *end++ = '\n';
  file->waiting = static_cast<size_t>(end - file->output.get());
}

void writeEncodedLine(FileHandle file, std::string_view utf8) {
  const size_t size = utf8.size() + 2;
  if (size > kWriteBufferSize - file->waiting) flush(*file);
  if (size > kWriteBufferSize) {
    // A line longer than the buffer goes straight to the file.
    if (!file->failed) writeAll(*file, utf8.data(), utf8.size());
    if (!file->failed) writeAll(*file, "\r\n", 2);
    return;
  }
  char* end = file->output.get() + file->waiting;
  std::memcpy(end, utf8.data(), utf8.size());
  end[utf8.size()] = '\r';
  end[utf8.size() + 1] = '\n';
  file->waiting += size;
}

int finishWriting(FileHandle file) {
  if (file->writing) flush(*file);
  if (file->ownsFd && close(file->fd) != 0) file->failed = true;
  if (!file->tempPath.empty()) {
    if (!file->failed &&
        rename(file->tempPath.c_str(), file->targetPath.c_str()) == 0) {
      file->tempPath.clear();
    } else {
      file->failed = true;
      removeTemporary(*file);
    }
  }
  if (file->targetLockFd >= 0) close(file->targetLockFd);
  int ok = file->failed ? 0 : 1;
  delete file;
  return ok;
}

void closeFile(FileHandle file) { finishWriting(file); }
