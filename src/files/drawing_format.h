// The kinds of file a drawing can be written as: the SVG itself, or a PNG
// or PDF picture of it (picture_drawing.h, Linux builds only), how each is
// named and how a path or a word chooses one.
#ifndef FLOWSVG_FILES_DRAWING_FORMAT_H_
#define FLOWSVG_FILES_DRAWING_FORMAT_H_

#include <cstdint>

#include "base/strings.h"

enum class DrawingFormat { Svg, Png, Pdf };

// How a drawing is written: its format, and for a PNG its size relative
// to the SVG's pixels (SmallestDrawingScale..LargestDrawingScale).
struct DrawingSettings {
  DrawingFormat format = DrawingFormat::Svg;
  double scale = 1;
  bool accessible = false;  // the SVG says itself as text (svg_document.h)
  // PDF: its creation date in seconds since 1970 UTC; -1 for the present.
  int64_t documentDate = -1;
};

inline constexpr double SmallestDrawingScale = 0.25;
inline constexpr double LargestDrawingScale = 16;

// Whether this build can write PNG and PDF (not on Windows).
bool picturesAvailable();

// The format a path's extension names, whatever its case: "png" and "pdf"
// those, anything else (and no extension, and "-") SVG.
DrawingFormat formatOfPath(TextView path);

// The format named by word, "svg", "png" or "pdf" in any case; false for
// any other word.
bool formatNamed(TextView word, DrawingFormat* format);

// "SVG", "PNG" or "PDF".
TextView formatName(DrawingFormat format);

// The lower-case extension of the format, without its dot.
TextView formatExtension(DrawingFormat format);

// text with each "SVG" in it turned into the format's name: the success
// lines, error captions and window messages say which file they are about.
Text inFormat(TextView text, DrawingFormat format);

// A scale given as text ("2", "0.5", "1.25"): plain decimal digits with at
// most one point, SmallestDrawingScale..LargestDrawingScale; false for
// anything else.
bool scaleNamed(TextView text, double* scale);

#endif  // FLOWSVG_FILES_DRAWING_FORMAT_H_
