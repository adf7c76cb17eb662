// flowsvg-picture png|pdf SCALE [DATE] < SVG > PICTURE: flowsvg's picture
// program (files/picture_program.h). Reads the whole SVG from standard
// input first, then draws it in this process (raster/raster.h) and writes
// the picture to standard output; touches no file. Exit 0 when the whole
// picture is written; 1 with the reason as one line on standard error; 64
// for arguments it does not take.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <new>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "base/wording.h"
#include "files/picture_program.h"
#include "files/pictures_in_process.h"
#include "platform/system_error.h"

namespace {

constexpr int ExitDrawn = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 64;

// Writes all of bytes to fd; the system's reason otherwise.
Status writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return Status::error(systemErrorText(errno));
    }
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return Status();
}

// The picture's bytes to standard output, 64 KiB at a time.
class OutputSink : public ByteSink {
 public:
  Status write(std::string_view bytes) override {
    buffer_.append(bytes);
    return buffer_.size() >= 64 * 1024 ? flush() : Status();
  }
  Status flush() {
    const Status written = writeAll(STDOUT_FILENO, buffer_);
    buffer_.clear();
    return written;
  }

 private:
  std::string buffer_;
};

// The whole of standard input; false on a read error (reason set).
bool readAll(std::string& out, Text* reason) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      *reason = systemErrorText(errno);
      return false;
    }
    out.append(buffer, static_cast<size_t>(got));
  }
}

// The settings the arguments (without the program's name) ask for; false
// for arguments it does not take.
bool pictureSettingsFromArguments(const std::vector<std::string>& arguments,
                                  DrawingSettings* settings) {
  if (arguments.size() < 2 || arguments.size() > 3) return false;
  DrawingSettings read;
  if (arguments[0] == "png") {
    read.format = DrawingFormat::Png;
  } else if (arguments[0] == "pdf") {
    read.format = DrawingFormat::Pdf;
  } else {
    return false;
  }
  const std::string& scale = arguments[1];
  const auto scaleEnd = scale.data() + scale.size();
  const auto scaleRead = std::from_chars(scale.data(), scaleEnd, read.scale);
  if (scaleRead.ec != std::errc() || scaleRead.ptr != scaleEnd) return false;
  if (arguments.size() == 3) {
    const std::string& date = arguments[2];
    const auto dateEnd = date.data() + date.size();
    const auto dateRead =
        std::from_chars(date.data(), dateEnd, read.documentDate);
    if (dateRead.ec != std::errc() || dateRead.ptr != dateEnd ||
        read.documentDate < 0) {
      return false;
    }
  }
  *settings = read;
  return true;
}

int fail(TextView reason) {
  const std::string line = encodeUtf8(reason) + "\n";
  (void)writeAll(STDERR_FILENO, line);
  return ExitFailed;
}

int run(const std::vector<std::string>& arguments) {
  DrawingSettings settings;
  if (!pictureSettingsFromArguments(arguments, &settings)) {
    fail(wording::PictureProgramUsage);
    return ExitUsage;
  }
  std::string svg;
  Text reason;
  if (!readAll(svg, &reason)) return fail(reason);
  OutputSink sink;
  const Status drawn = renderSvg(svg, rasterOptionsFor(settings), sink);
  if (drawn.isOutOfMemory()) return fail(outOfMemoryReason());
  if (!drawn.ok()) return fail(drawn.reason());
  const Status written = sink.flush();
  if (!written.ok()) return fail(written.reason());
  return ExitDrawn;
}

}  // namespace

int main(int argc, char** argv) {
  // Ends with flowsvg, whatever ends flowsvg (a signal, even SIGKILL): a
  // picture nobody waits for is not drawn on.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    return fail(outOfMemoryReason());
  }
}
