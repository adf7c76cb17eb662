#include "raster/raster.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <new>

#include "base/clock.h"
#include "base/strings.h"
#include "base/utf8.h"
#include "base/wording.h"
#include "raster/raster_fonts.h"
#include "raster/raster_libraries.h"
#include "raster/shadows_behind_text.h"

namespace {

// cairo's image surfaces hold at most this many pixels a side.
constexpr int LargestSide = 32767;
// CSS pixels per PDF point.
constexpr double PointsPerPixel = 0.75;

// The libraries and the fonts, set up once for the whole program.
const RasterLibraries* prepared(Status& status) {
  const RasterLibraries* libraries = rasterLibraries(status);
  if (!libraries) return nullptr;
  static std::once_flag once;
  static Status fonts;
  std::call_once(once, [libraries] {
    fonts = useRenderingFonts(*libraries, LiberationFontFolder);
  });
  status = fonts;
  return fonts.ok() ? libraries : nullptr;
}

Status withDetail(std::u16string_view reason, std::string_view detail) {
  return Status::error(replaceAll(reason, u"{detail}", decodeUtf8(detail)));
}

// Takes a GError's message and frees it.
std::string takeMessage(const RasterLibraries& l, GError* error) {
  if (!error) return {};
  std::string message = error->message ? error->message : "";
  l.errorFree(error);
  return message;
}

// What cairo says of a failed surface or context.
Status cairoFailure(const RasterLibraries& l, cairo_status_t status) {
  if (status == CAIRO_STATUS_NO_MEMORY) return Status::outOfMemory();
  return withDetail(wording::RasterDrawFailedReason,
                    l.statusToString(status));
}

// Carries cairo's writes to the sink and keeps the sink's first failure.
struct Writer {
  ByteSink& sink;
  Status status;
};

cairo_status_t writeToSink(void* closure, const unsigned char* data,
                           unsigned int length) {
  Writer& writer = *static_cast<Writer*>(closure);
  if (!writer.status.ok()) return CAIRO_STATUS_WRITE_ERROR;
  try {
    writer.status =
        writer.sink.write({reinterpret_cast<const char*>(data), length});
  } catch (const std::bad_alloc&) {
    writer.status = Status::outOfMemory();
  }
  return writer.status.ok() ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

template <typename T, typename Release>
using Owned = std::unique_ptr<T, Release>;

// Draws the document into cr, whose user space is the SVG's pixels.
Status drawDocument(const RasterLibraries& l, RsvgHandle* handle,
                    cairo_t* cr, double width, double height) {
  const RsvgRectangle viewport{0, 0, width, height};
  GError* error = nullptr;
  if (!l.renderDocument(handle, cr, &viewport, &error)) {
    const std::string message = takeMessage(l, error);
    // librsvg tells a surface it could not get as "rendering error:
    // NoMemory" (its error codes do not tell it apart).
    if (l.status(cr) == CAIRO_STATUS_NO_MEMORY ||
        message.find("NoMemory") != std::string::npos) {
      return Status::outOfMemory();
    }
    return withDetail(wording::RasterDrawFailedReason, message);
  }
  const cairo_status_t status = l.status(cr);
  if (status != CAIRO_STATUS_SUCCESS) return cairoFailure(l, status);
  return Status();
}

Status writePng(const RasterLibraries& l, RsvgHandle* handle, double width,
                double height, double scale, ByteSink& sink) {
  const double pixelsWide = std::ceil(width * scale - 1e-9);
  const double pixelsHigh = std::ceil(height * scale - 1e-9);
  if (pixelsWide > LargestSide || pixelsHigh > LargestSide) {
    Text reason = replaceAll(wording::RasterTooLargeReason, u"{width}",
                             formatInteger(static_cast<int64_t>(pixelsWide)));
    reason = replaceAll(reason, u"{height}",
                        formatInteger(static_cast<int64_t>(pixelsHigh)));
    return Status::error(
        replaceAll(reason, u"{most}", formatInteger(LargestSide)));
  }
  Owned<cairo_surface_t, decltype(l.surfaceDestroy)> surface(
      l.imageSurfaceCreate(CAIRO_FORMAT_ARGB32,
                           std::max(1, static_cast<int>(pixelsWide)),
                           std::max(1, static_cast<int>(pixelsHigh))),
      l.surfaceDestroy);
  if (l.surfaceStatus(surface.get()) != CAIRO_STATUS_SUCCESS) {
    return cairoFailure(l, l.surfaceStatus(surface.get()));
  }
  {
    Owned<cairo_t, decltype(l.destroy)> cr(l.create(surface.get()),
                                           l.destroy);
    l.scale(cr.get(), scale, scale);
    Status drawn = drawDocument(l, handle, cr.get(), width, height);
    if (!drawn.ok()) return drawn;
  }
  Writer writer{sink, Status()};
  const cairo_status_t written =
      l.writeToPngStream(surface.get(), writeToSink, &writer);
  if (!writer.status.ok()) return writer.status;
  if (written != CAIRO_STATUS_SUCCESS) return cairoFailure(l, written);
  return Status();
}

// cairo 1.16 writes a date it is given as "(20231114221320+00'00)",
// without the "D:" that starts a PDF date. Mends it in place, keeping the
// length so that the offsets of the cross-reference table hold.
void mendPdfDates(std::string& pdf, const std::string& digits) {
  const std::string written = "(" + digits + "+00'00)";
  std::string mended = "(D:" + digits + "Z)";
  mended.resize(written.size(), ' ');
  for (const char* key : {"/CreationDate ", "/ModDate "}) {
    const size_t at = pdf.find(key + written);
    if (at != std::string::npos) {
      pdf.replace(at + std::string_view(key).size(), written.size(), mended);
    }
  }
}

class StringSink : public ByteSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  Status write(std::string_view bytes) override {
    out_.append(bytes);  // std::bad_alloc is caught by the writer
    return Status();
  }

 private:
  std::string& out_;
};

// The PDF is made in memory (the dates are mended at its end), then given
// to the sink in one piece.
Status writePdf(const RasterLibraries& l, RsvgHandle* handle, double width,
                double height, std::optional<int64_t> date, ByteSink& sink) {
  std::string pdf;
  StringSink memory(pdf);
  Writer writer{memory, Status()};
  Owned<cairo_surface_t, decltype(l.surfaceDestroy)> surface(
      l.pdfSurfaceCreateForStream(writeToSink, &writer,
                                  width * PointsPerPixel,
                                  height * PointsPerPixel),
      l.surfaceDestroy);
  if (l.surfaceStatus(surface.get()) != CAIRO_STATUS_SUCCESS) {
    if (!writer.status.ok()) return writer.status;
    return cairoFailure(l, l.surfaceStatus(surface.get()));
  }
  std::string digits;
  if (date) {
    // Otherwise cairo stamps the present time.
    const std::string stamp = encodeUtf8(
        formatTimestamp(u"%yyyy-%mm-%ddT%hh:%ii:%ss+00:00", *date));
    if (!stamp.empty()) {
      digits = encodeUtf8(formatTimestamp(u"%yyyy%mm%dd%hh%ii%ss", *date));
      l.pdfSetMetadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE,
                       stamp.c_str());
      l.pdfSetMetadata(surface.get(), CAIRO_PDF_METADATA_MOD_DATE,
                       stamp.c_str());
    }
  }
  {
    Owned<cairo_t, decltype(l.destroy)> cr(l.create(surface.get()),
                                           l.destroy);
    l.scale(cr.get(), PointsPerPixel, PointsPerPixel);
    Status drawn = drawDocument(l, handle, cr.get(), width, height);
    if (!drawn.ok()) return drawn;
  }
  l.surfaceFinish(surface.get());
  if (!writer.status.ok()) return writer.status;
  const cairo_status_t finished = l.surfaceStatus(surface.get());
  if (finished != CAIRO_STATUS_SUCCESS) return cairoFailure(l, finished);
  if (!digits.empty()) mendPdfDates(pdf, digits);
  return sink.write(pdf);
}

Status render(std::string_view svg, const RasterOptions& options,
              ByteSink& sink) {
  if (!(options.scale >= SmallestRasterScale &&
        options.scale <= LargestRasterScale)) {
    return Status::error(Text(wording::RasterScaleReason));
  }
  Status status;
  const RasterLibraries* libraries = prepared(status);
  if (!libraries) return status;
  const RasterLibraries& l = *libraries;

  // A PDF keeps the boxes' texts as text (shadows_behind_text.h).
  const std::string pdfSvg = options.format == RasterFormat::Pdf
                                 ? shadowsBehindText(svg)
                                 : std::string();
  const std::string_view drawn =
      options.format == RasterFormat::Pdf ? std::string_view(pdfSvg) : svg;
  GError* error = nullptr;
  Owned<RsvgHandle, decltype(l.objectUnref)> handle(
      l.handleNewFromData(reinterpret_cast<const guint8*>(drawn.data()),
                          drawn.size(), &error),
      l.objectUnref);
  if (!handle) {
    return withDetail(wording::RasterSvgUnreadableReason,
                      takeMessage(l, error));
  }
  l.handleSetDpi(handle.get(), 96);
  double width = 0;
  double height = 0;
  if (!l.intrinsicSizeInPixels(handle.get(), &width, &height) ||
      !(width > 0 && height > 0)) {
    return Status::error(Text(wording::RasterNoSizeReason));
  }
  if (options.format == RasterFormat::Pdf) {
    return writePdf(l, handle.get(), width, height, options.documentDate,
                    sink);
  }
  return writePng(l, handle.get(), width, height, options.scale, sink);
}

}  // namespace

Status renderSvg(std::string_view svg, const RasterOptions& options,
                 ByteSink& sink) {
  try {
    return render(svg, options, sink);
  } catch (const std::bad_alloc&) {
    return Status::outOfMemory();
  }
}

Status renderSvgToBytes(std::string_view svg, const RasterOptions& options,
                        std::string& out) {
  out.clear();
  StringSink sink(out);
  Status status = renderSvg(svg, options, sink);
  if (!status.ok()) out.clear();
  return status;
}

// librsvg's text layout keeps the fonts it has looked up (fontconfig
// patterns in Pango's per-thread font map) until the program ends, where
// LeakSanitizer no longer sees them referenced. Tells a sanitizer build so;
// without LeakSanitizer this function is never called.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so.1\n";
}

// And keeps the table of suppressions used out of standard error, where it
// would follow the program's own last line (the success line of a PNG).
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
