// PNG and PDF pictures of an SVG drawing, drawn in this process by librsvg
// with cairo from exactly the SVG's bytes, so that the picture is the SVG's
// picture. The libraries are loaded on the first call (raster_libraries.h)
// and the text is drawn in Liberation Sans (raster_fonts.h).
//
// Nothing throws and nothing aborts: a library or font that is missing, an
// SVG librsvg cannot read, a picture too large to draw, memory running out
// and the sink's own failures come back as a Status. Safe to call from
// several threads at once.
#ifndef FLOWSVG_RASTER_RASTER_H_
#define FLOWSVG_RASTER_RASTER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

enum class RasterFormat { Png, Pdf };

// The sizes a PNG may be drawn at, relative to the SVG's pixels.
inline constexpr double SmallestRasterScale = 0.25;
inline constexpr double LargestRasterScale = 16;

struct RasterOptions {
  RasterFormat format = RasterFormat::Png;
  // PNG only: the picture is the SVG's width and height times this,
  // rounded up; SmallestRasterScale..LargestRasterScale. A PDF page is
  // always the drawing's size, 1 px = 0.75 pt.
  double scale = 1;
  // PDF only: the document's creation and modification date, in seconds
  // since 1970-01-01 UTC (SOURCE_DATE_EPOCH). Unset: the present time.
  std::optional<int64_t> documentDate;
};

// Where the picture's bytes go, in order, piece by piece. A failed write
// stops the drawing and is what renderSvg returns.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual Status write(std::string_view bytes) = 0;
};

// Draws the SVG document svg and writes the picture to sink. On failure
// part of the picture may have been written already.
Status renderSvg(std::string_view svg, const RasterOptions& options,
                 ByteSink& sink);

// The same, into memory; out holds the whole picture when ok (it is
// emptied first).
Status renderSvgToBytes(std::string_view svg, const RasterOptions& options,
                        std::string& out);

#endif  // FLOWSVG_RASTER_RASTER_H_
