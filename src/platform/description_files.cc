#include "platform/description_files.h"

#include <new>
#include <string>

#include "base/calendar.h"
#include "model/parser.h"
#include "platform/system_error.h"
#include "platform/text_file.h"
#include "platform/wording.h"
#include "render/svg_document.h"

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

Status writeSvgFile(Flowchart& chart, TextView path, Reporter& reporter) {
  Text reason;
  int written = 0;
  try {
    std::string svg;
    writeSvg(chart, svg, currentTime());
    FileHandle file = createReplacement(path, &reason);
    if (file != nullptr) {
      writeBytesOut(file, svg);
      written = finishWriting(file, &reason);
    }
  } catch (const std::bad_alloc&) {
    // Memory ran out while drawing, before anything was created: the
    // earlier file stays.
    reason = outOfMemoryReason();
  }
  if (written == 1) return Status();
  reporter.reportError(wording::CreateFailureCaption, path, reason);
  return Status::failure(reason);
}
