// The fonts PNG and PDF are drawn with: a fontconfig configuration of the
// program's own, made current before the first drawing, so that text the
// SVG sets in Arial (or any other family) is drawn in Liberation Sans from
// fonts-liberation2, the font whose widths the layout measured, whatever
// fonts and font settings the machine has. Characters Liberation Sans lacks
// fall back to the machine's other fonts.
#ifndef FLOWSVG_RASTER_RASTER_FONTS_H_
#define FLOWSVG_RASTER_RASTER_FONTS_H_

#include <string>

#include "base/status.h"
#include "raster/raster_libraries.h"

// Where Debian's fonts-liberation2 puts its files.
inline constexpr const char* LiberationFontFolder =
    "/usr/share/fonts/truetype/liberation2";

// The configuration, as fontconfig's XML, with liberationFolder holding
// LiberationSans-*.ttf.
std::string renderingFontConfiguration(const std::string& liberationFolder);

// Builds that configuration and makes it fontconfig's current one. Fails,
// leaving the current configuration alone, when Liberation Sans is not in
// liberationFolder or the configuration cannot be built.
Status useRenderingFonts(const RasterLibraries& libraries,
                         const std::string& liberationFolder);

#endif  // FLOWSVG_RASTER_RASTER_FONTS_H_
