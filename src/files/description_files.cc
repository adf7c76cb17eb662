#include "files/description_files.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "base/line_buffer.h"
#include "base/wording.h"
#include "model/parser.h"
#include "model/sample_description.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "render/layout.h"
#include "files/picture_drawing.h"
#include "render/svg_document.h"

Status readDescriptionFile(Flowchart& chart, FileHandle file, TextView name,
                           Reporter& reporter, DiagnosticsSink* sink) {
  clearFlowchart(chart);
  Text failure;
  bool outOfMemory = false;
  try {
    std::string bytes;
    readBytes(file, bytes, SIZE_MAX);
    failure = Text(readFailure(file));
    // The file is let go before the chart is read: reading takes no lock,
    // and a watch may see the next save at once.
    closeFile(std::exchange(file, nullptr));
    if (failure.empty()) {
      const Status read = readDescription(chart, bytes, sink);
      outOfMemory = read.isOutOfMemory();
    }
  } catch (const std::bad_alloc&) {
    outOfMemory = true;  // its reason made once the file is closed
  }
  if (file != nullptr) closeFile(file);
  if (!outOfMemory && failure.empty()) return Status();
  clearFlowchart(chart);
  if (outOfMemory) failure = outOfMemoryReason();
  reporter.reportError(wording::OpenFailureCaption, name, failure);
  return outOfMemory ? Status::outOfMemory() : Status::error(failure);
}

Status parseDescription(Flowchart& chart, TextView path, Reporter& reporter,
                        DiagnosticsSink* sink) {
  clearFlowchart(chart);
  Text reason;
  FileHandle file = openForReading(path, &reason);
  if (file == nullptr) {
    reporter.reportError(wording::OpenFailureCaption, path, reason);
    return Status::error(reason);
  }
  return readDescriptionFile(chart, file, path, reporter, sink);
}

namespace {

// Hands a drawing's lines to an open file as they are made.
class FileSink : public LineSink {
 public:
  explicit FileSink(FileHandle file) : file_(file) {}
  void take(std::string_view bytes) override { writeContent(file_, bytes); }

 private:
  FileHandle file_;
};

}  // namespace

Status writeDrawing(Flowchart& chart, FileHandle file, Timestamp generated,
                    const DrawingSettings& settings) {
  if (settings.format == DrawingFormat::Svg) {
    FileSink sink(file);
    LineBuffer drawing(&sink);
    writeSvg(chart, drawing, generated, settings.accessible);
    drawing.flush();
    return Status();
  }
  LineBuffer drawing;
  writeSvg(chart, drawing, generated, settings.accessible);
  return drawPicture(drawing.bytes(), settings, file);
}

Status generateSvg(Flowchart& chart, TextView path, Reporter& reporter) {
  const DrawingFormat format = formatOfPath(path);
  Text reason;
  if (format != DrawingFormat::Svg && !picturesAvailable()) {
    // Said before anything is touched: an earlier file stays as it is.
    reason = wording::PicturesUnavailable;
    reporter.reportError(inFormat(wording::CreateFailureCaption, format), path,
                         reason);
    return Status::error(reason);
  }
  bool written = false;
  FileHandle file = nullptr;
  try {
    // Laid out first, as the window shows the chart laid out even when its
    // SVG cannot be written.
    layoutFlowchart(chart);
    DrawingSettings settings;
    settings.format = format;
    file = createReplacement(path, &reason);
    if (file != nullptr) {
      const Status drawn = writeDrawing(chart, file, currentTime(), settings);
      if (!drawn.ok()) {
        abandonWriting(std::exchange(file, nullptr));
        reason = drawn.reason();
      } else {
        const Status finished = finishWriting(std::exchange(file, nullptr));
        written = finished.ok();
        reason = finished.reason();
      }
    }
  } catch (const std::bad_alloc&) {
    // Memory ran out while drawing: what was written goes, the earlier file
    // stays.
    if (file != nullptr) abandonWriting(file);
    reason = outOfMemoryReason();
  }
  if (written) return Status();
  reporter.reportError(inFormat(wording::CreateFailureCaption, format), path,
                       reason);
  return Status::error(reason);
}

Status writeSampleFile(TextView path, Reporter& reporter) {
  Text reason;
  FileHandle file = createReplacement(path, &reason);
  Status written = Status::error(reason);
  if (file != nullptr) {
    writeContent(file, sampleDescription());
    written = finishWriting(file);
  }
  if (!written.ok()) {
    reporter.reportError(wording::SampleFailureCaption, path,
                         written.reason());
  }
  return written;
}

bool holdsTheSample(TextView path) {
  const std::string sample = sampleDescription();
  FileHandle file = openForReading(path);
  if (file == nullptr) return false;
  // One byte more than the sample, to see a longer file as different.
  std::string bytes;
  readBytes(file, bytes, sample.size() + 1);
  const bool whole = readFailure(file).empty();
  closeFile(file);
  return whole && bytes == sample;
}
