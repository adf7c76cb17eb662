#include "files/pictures_in_process.h"

#include <new>

namespace {

// Hands a picture's bytes to an open file; the file's failures are told by
// finishWriting.
class PictureSink : public ByteSink {
 public:
  explicit PictureSink(FileHandle file) : file_(file) {}
  Status write(std::string_view bytes) override {
    writeContent(file_, bytes);
    return Status();
  }

 private:
  FileHandle file_;
};

}  // namespace

RasterOptions rasterOptionsFor(const DrawingSettings& settings) {
  RasterOptions options;
  options.format = settings.format == DrawingFormat::Pdf ? RasterFormat::Pdf
                                                         : RasterFormat::Png;
  options.scale = settings.scale;
  if (settings.documentDate >= 0) options.documentDate = settings.documentDate;
  return options;
}

Status drawPictureInProcess(std::string_view svg,
                            const DrawingSettings& settings, FileHandle file) {
  PictureSink sink(file);
  Status drawn = renderSvg(svg, rasterOptionsFor(settings), sink);
  if (drawn.isOutOfMemory()) throw std::bad_alloc();
  return drawn;
}
