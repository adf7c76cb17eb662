#include "platform/description_files.h"

#include <new>
#include <string>
#include <utility>

#include "base/calendar.h"
#include "model/parser.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "platform/wording.h"
#include "render/layout.h"
#include "render/svg_document.h"
#include "render/svg_line.h"

Status readDescriptionFile(Flowchart& chart, TextView path, Reporter& reporter,
                           DiagnosticsSink* sink) {
  Status status;
  {
    std::string bytes;
    status = readWholeFile(path, bytes);
    if (status.ok()) status = parseDescription(chart, bytes, sink);
  }
  if (!status.ok()) {
    clearFlowchart(chart);
    reporter.reportError(wording::OpenFailureCaption, path, reasonOf(status));
  }
  return status;
}

namespace {

// Hands the document's bytes to a file's writer.
class FileSink : public ByteSink {
 public:
  explicit FileSink(FileHandle file) : file_(file) {}
  void write(std::string_view bytes) override { writeBytesOut(file_, bytes); }

 private:
  FileHandle file_;
};

}  // namespace

void writeSvgToFile(Flowchart& chart, FileHandle file, Timestamp generated) {
  FileSink sink(file);
  SvgOutput out(sink);
  writeSvg(chart, out, generated);
  out.finish();
}

Status writeSvgFile(Flowchart& chart, TextView path, Reporter& reporter) {
  Text reason;
  bool written = false;
  FileHandle file = nullptr;
  try {
    const Timestamp now = currentTime();
    // Laid out first, so that the chart holds its places (the window's
    // caller reads them) whether or not the file can be written.
    layoutFlowchart(chart);
    file = createReplacement(path, &reason);
    if (file != nullptr) {
      writeSvgToFile(chart, file, now);
      const Status finished = finishWriting(std::exchange(file, nullptr));
      written = finished.ok();
      reason = finished.reason();
    }
  } catch (const std::bad_alloc&) {
    // Memory ran out while drawing: what was written goes, the earlier file
    // stays.
    if (file != nullptr) abandonWriting(file);
    reason = outOfMemoryReason();
  }
  if (written) return Status();
  reporter.reportError(wording::CreateFailureCaption, path, reason);
  return Status::failure(reason);
}
