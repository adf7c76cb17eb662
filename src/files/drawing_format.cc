#include "files/drawing_format.h"

#include "base/path_text.h"

bool picturesAvailable() {
#ifdef FLOWSVG_PICTURES
  return true;
#else
  return false;
#endif
}

DrawingFormat formatOfPath(TextView path) {
  DrawingFormat format = DrawingFormat::Svg;
  const Text extension = extensionPart(path);
  return formatNamed(extension, &format) ? format : DrawingFormat::Svg;
}

bool formatNamed(TextView word, DrawingFormat* format) {
  const Text lower = lowerCase(word);
  for (DrawingFormat each :
       {DrawingFormat::Svg, DrawingFormat::Png, DrawingFormat::Pdf}) {
    if (lower == formatExtension(each)) {
      *format = each;
      return true;
    }
  }
  return false;
}

TextView formatName(DrawingFormat format) {
  switch (format) {
    case DrawingFormat::Png:
      return u"PNG";
    case DrawingFormat::Pdf:
      return u"PDF";
    case DrawingFormat::Svg:
      break;
  }
  return u"SVG";
}

TextView formatExtension(DrawingFormat format) {
  switch (format) {
    case DrawingFormat::Png:
      return u"png";
    case DrawingFormat::Pdf:
      return u"pdf";
    case DrawingFormat::Svg:
      break;
  }
  return u"svg";
}

Text inFormat(TextView text, DrawingFormat format) {
  if (format == DrawingFormat::Svg) return Text(text);
  return replaceAll(text, u"SVG", formatName(format));
}

bool scaleNamed(TextView text, double* scale) {
  // Whole part and fraction read as one integer and a divisor: exact for
  // the few digits a scale has, and free of the locale's decimal point.
  int64_t digits = 0;
  int64_t divisor = 1;
  bool point = false;
  bool any = false;
  for (char16_t c : text) {
    if (c == u'.' && !point) {
      point = true;
    } else if (c >= u'0' && c <= u'9' && digits < 100000000000LL) {
      digits = digits * 10 + (c - u'0');
      if (point) divisor *= 10;
      any = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  const double value =
      static_cast<double>(digits) / static_cast<double>(divisor);
  if (value < SmallestDrawingScale || value > LargestDrawingScale) {
    return false;
  }
  *scale = value;
  return true;
}
