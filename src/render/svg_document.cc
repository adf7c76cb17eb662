#include "render/svg_document.h"

#include <array>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/connectors.h"
#include "render/item_boxes.h"
#include "render/layout.h"
#include "render/svg_line.h"
#include "base/wording.h"

namespace {

constexpr TextView TimestampMask = u"%yyyy-%mm-%dd %hh:%ii:%ss";

// The fixed definitions and style sheet, lines 9 to 40 of every document.
// The shadow is drawn with SVG 1.1 filter primitives (blur, offset, fade,
// merge), which every SVG program renders: librsvg, Inkscape and the image
// tools built on them drop elements whose filter they do not know.
constexpr TextView DefinitionLines[] = {
    u"<defs>",
    u"  <linearGradient id=\"headerGrad\" x1=\"0%\" y1=\"0%\" x2=\"100%\" "
    u"y2=\"0%\">",
    u"    <stop offset=\"0%\" style=\"stop-color:#10b981;stop-opacity:1\" />",
    u"    <stop offset=\"100%\" style=\"stop-color:#06acac;stop-opacity:1\" />",
    u"  </linearGradient>",
    u"  <filter id=\"shadow\">",
    u"    <feGaussianBlur in=\"SourceAlpha\" stdDeviation=\"3\"/>",
    u"    <feOffset dx=\"2\" dy=\"2\" result=\"offsetBlur\"/>",
    u"    <feComponentTransfer>",
    u"      <feFuncA type=\"linear\" slope=\"0.1\"/>",
    u"    </feComponentTransfer>",
    u"    <feMerge>",
    u"      <feMergeNode/>",
    u"      <feMergeNode in=\"SourceGraphic\"/>",
    u"    </feMerge>",
    u"  </filter>",
    u"  <marker id=\"arrowhead\" markerWidth=\"12\" markerHeight=\"8\" "
    u"refX=\"11\" refY=\"4\" orient=\"auto\">",
    u"    <polygon points=\"0 0, 12 4, 0 8\" fill=\"#3b82f6\" />",
    u"  </marker>",
    u"  <style>",
    u"    .title { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 22px; font-weight: bold; fill: #0f172a; }",
    u"    .subtitle { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 15px; fill: #475569; }",
    u"    .company { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 13px; fill: #64748b; }",
    u"    .section-label { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 13px; font-weight: bold; fill: #1e40af; }",
    u"    .node-title { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 14px; font-weight: bold; fill: #0f172a; }",
    u"    .node-content-key { font-family: 'Microsoft YaHei', Arial, "
    u"sans-serif; font-size: 11px; font-weight: bold; fill: #059669; }",
    u"    .node-content-value { font-family: 'Microsoft YaHei', Arial, "
    u"sans-serif; font-size: 11px; fill: #374151; }",
    u"    .summary-title { font-family: 'Microsoft YaHei', Arial, sans-serif; "
    u"font-size: 15px; font-weight: bold; fill: #b45309; }",
    u"    .summary-content { font-family: 'Microsoft YaHei', Arial, "
    u"sans-serif; font-size: 12px; fill: #78350f; }",
    u"  </style>",
    u"</defs>",
    u"",
};

// The title and the reading of the chart for a screen reader, right inside
// the root, where assistive software looks for them.
void writeAccessibleText(const Flowchart& chart, SvgLine& line) {
  const Text title = chartTitleText(chart);
  line << "<title id=\"flowchart-title\">" << Escaped{title} << "</title>";
  line.end();
  line.write("<desc id=\"flowchart-desc\">");
  for (const Text& sentence : chartReading(chart)) {
    line << Escaped{sentence};
    line.end();
  }
  line.write("</desc>");
}

void writeProlog(const Flowchart& chart, const CanvasSize& canvas,
                 SvgLine& line, Timestamp generated, bool accessible) {
  line.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  line.write("<svg xmlns=\"http://www.w3.org/2000/svg\" ");
  line << "     width=\"" << canvas.width << "\" height=\"" << canvas.height
       << "\" ";
  line.end();
  line << "     viewBox=\"0 0 " << canvas.width << " " << canvas.height << "\"";
  if (accessible) {
    line << " role=\"img\" aria-labelledby=\"flowchart-title flowchart-desc\"";
  }
  line << ">";
  line.end();
  if (accessible) writeAccessibleText(chart, line);
  line.write("");
  line.comment(wording::OriginCommentText);
  line << "<!-- " << wording::TimestampLabel << ": "
       << formatTimestamp(TimestampMask, generated) << " -->";
  line.end();
  line.write("");
  for (TextView fixed : DefinitionLines) line.write(fixed);
}

// One header text line centred at x, with the given baseline and class.
void writeHeaderText(SvgLine& line, int32_t x, int32_t y, const char* cls) {
  line << "<text x=\"" << x << "\" y=\"" << y << "\" class=\"";
  line << std::string_view(cls) << "\" text-anchor=\"middle\">";
}

void writeHeader(const Flowchart& chart, const CanvasSize& canvas,
                 SvgLine& line) {
  line << "<rect x=\"0\" y=\"0\" width=\"" << canvas.width << "\" height=\""
       << canvas.height << "\" fill=\"#f8fafc\" />";
  line.end();
  line.write("");
  line.comment(wording::HeaderCommentText);
  const int32_t middle = canvas.width / 2;
  writeHeaderText(line, middle, 38, "title");
  line << wording::DiagramTitleCaption << "</text>";
  line.end();
  if (!chart.subtitle.empty()) {
    writeHeaderText(line, middle, 60, "subtitle");
    line << Escaped{chart.subtitle} << "</text>";
    line.end();
  }
  if (!chart.company.empty()) {
    writeHeaderText(line, middle, 78, "company");
    line << Escaped{chart.company} << "</text>";
    line.end();
  }
  line.write("");
}

void writeBand(const Section& section, SvgLine& line) {
  line.write("<g class=\"section\">");
  line << "  <rect x=\"40\" y=\"" << section.top << "\" ";
  line.end();
  line << "        width=\"110\" height=\"" << section.height << "\" ";
  line.end();
  line.write("        fill=\"#dbeafe\" rx=\"6\" />");
  line.write("  <text x=\"95\" ");
  line << "        y=\"" << section.top + section.height / 2 + 5 << "\" ";
  line.end();
  line << "        class=\"section-label\" text-anchor=\"middle\">"
       << Escaped{section.name} << "</text>";
  line.end();
  line.write("</g>");
  line.write("");
}

void writeDocument(Flowchart& chart, const CanvasSize& canvas, LineBuffer& out,
                   Timestamp generated, bool accessible) {
  // The boxes, connectors and summary panel write lines of their own: the
  // lines built here go to the file before each of them.
  SvgLine line(out);
  writeProlog(chart, canvas, line, generated, accessible);
  writeHeader(chart, canvas, line);
  line.comment(wording::SectionsCommentText);
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    writeBand(chart.sections[b], line);
    line.release();
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (chart.items[i].sectionno == b + 1) writeItemBox(chart, i, out);
    }
  }
  line.release();
  writeConnectors(chart, out);
  writeSummaryPanel(chart, canvas, out);
  line.write("</svg>");
}

}  // namespace

void writeSvg(Flowchart& chart, LineBuffer& out, Timestamp generated,
              bool accessible) {
  writeDocument(chart, layoutFlowchart(chart), out, generated, accessible);
}

Text chartTitleText(const Flowchart& chart) {
  Text title(wording::DiagramTitleCaption);
  if (!chart.subtitle.empty()) {
    title += Text(wording::ReadingTitleSeparator) + chart.subtitle;
  }
  return title;
}

std::vector<Text> chartReading(const Flowchart& chart) {
  // A box is read by its title; one without a title by its number.
  auto boxName = [&](int32_t slot) {
    const FlowItem& item = chart.items[slot];
    if (!item.title.empty()) return item.title;
    return replaceAll(wording::ReadingUntitledBox, u"{id}",
                      formatInteger(item.itemid));
  };
  std::vector<Text> reading;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    Text steps;
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (chart.items[i].sectionno != b + 1) continue;
      if (!steps.empty()) steps += wording::ReadingStepSeparator;
      steps += boxName(i);
    }
    if (steps.empty()) steps = wording::ReadingNoSteps;
    reading.push_back(replaceAll(
        replaceAll(wording::ReadingBand, u"{band}", chart.sections[b].name),
        u"{steps}", steps));
  }
  for (const auto& [parent, child] : connectorEnds(chart)) {
    reading.push_back(replaceAll(
        replaceAll(wording::ReadingArrow, u"{from}", boxName(parent)), u"{to}",
        boxName(child)));
  }
  return reading;
}

namespace {

// Whether c is written as something else: one of the five characters with
// an entity, or a character XML 1.0 forbids.
constexpr bool needsEscaping(char16_t c) {
  // Bit k of the mask is set when the character k (below 64) is replaced.
  // All controls but TAB, LF and CR, which XML 1.0 allows.
  constexpr uint64_t kControls =
      0xFFFFFFFFull & ~((1ull << 0x09) | (1ull << 0x0A) | (1ull << 0x0D));
  constexpr uint64_t kBelow64 = kControls | (1ull << '&') | (1ull << '<') |
                                (1ull << '>') | (1ull << '"') | (1ull << '\'');
  if (c < 64) return (kBelow64 >> c) & 1;
  return c >= 0xFFFE;
}

// The entity written for c, or nullptr when c has none (a forbidden
// character, written as U+FFFD).
constexpr const char* entityFor(char16_t c) {
  switch (c) {
    case u'&':
      return "&amp;";
    case u'<':
      return "&lt;";
    case u'>':
      return "&gt;";
    case u'"':
      return "&quot;";
    case u'\'':
      return "&apos;";
    default:
      return nullptr;
  }
}

// What each ASCII character is written as: itself, its entity, or U+FFFD
// for a control XML 1.0 forbids; six bytes at the most, and the length in
// the eighth, so that one 8-byte copy writes any of them.
constexpr auto AsciiEscapes = [] {
  std::array<std::array<char, 8>, 128> table{};
  for (char16_t c = 0; c < 128; ++c) {
    std::array<char, 8>& out = table[c];
    const char* entity = entityFor(c);
    const char* bytes = entity != nullptr  ? entity
                        : needsEscaping(c) ? "\xEF\xBF\xBD"
                                           : nullptr;
    int length = 0;
    if (bytes == nullptr) {
      out[length++] = static_cast<char>(c);
    } else {
      for (; bytes[length] != 0; ++length) out[length] = bytes[length];
    }
    out[7] = static_cast<char>(length);
  }
  return table;
}();

#if defined(__SSE2__)
// Writes the eight units at p as eight bytes to dest and returns how many
// of them, from the first, are ASCII written as they are (no control, none
// of the five with an entity); the bytes after those are to be written
// again. Every x86-64 processor has SSE2.
size_t plainRunOf8(const char16_t* p, char* dest) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i above = _mm_and_si128(units, _mm_set1_epi16(-0x80));
  __m128i escaped = _mm_cmplt_epi16(units, _mm_set1_epi16(0x20));
  for (const short special : {'&', '<', '>', '"', '\''}) {
    escaped =
        _mm_or_si128(escaped, _mm_cmpeq_epi16(units, _mm_set1_epi16(special)));
  }
  escaped = _mm_or_si128(
      escaped, _mm_xor_si128(_mm_cmpeq_epi16(above, _mm_setzero_si128()),
                             _mm_set1_epi16(-1)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dest),
                   _mm_packus_epi16(units, units));
  const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(escaped));
  return mask == 0 ? 8 : static_cast<size_t>(__builtin_ctz(mask)) / 2;
}
#endif

}  // namespace

size_t escapeXmlUtf8Into(TextView text, char* const start) {
  char* dest = start;
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  while (p != end) {
#if defined(__SSE2__)
    // Plain ASCII, by far the most common, up to eight characters at a time.
    if (end - p >= 8) {
      const size_t plain = plainRunOf8(p, dest);
      p += plain;
      dest += plain;
      if (plain == 8) continue;
    }
#endif
    const char16_t c = *p;
    if (c < 0x80) {
      // Without a branch: eight bytes copied, as many kept as belong.
      const std::array<char, 8>& out = AsciiEscapes[c];
      std::memcpy(dest, out.data(), 8);
      dest += out[7];
      ++p;
      continue;
    }
    if (needsEscaping(c)) {
      dest += encodeUtf8Into(u"\uFFFD", dest);
      ++p;
      continue;
    }
    // Any other character, a surrogate pair taken whole; no replaced
    // character is a surrogate, so a pair is never split here.
    const bool pair = c >= 0xD800 && c <= 0xDBFF && end - p > 1 &&
                      p[1] >= 0xDC00 && p[1] <= 0xDFFF;
    const size_t units = pair ? 2 : 1;
    dest += encodeUtf8Into(TextView(p, units), dest);
    p += units;
  }
  return static_cast<size_t>(dest - start);
}

Text escapeXml(TextView text) {
  // Each character is replaced once, so "&" first and no entity escaped
  // twice, exactly as five replacements in a row would do.
  Text result;
  result.reserve(text.size());
  for (const char16_t c : text) {
    if (!needsEscaping(c)) {
      result.push_back(c);
    } else if (const char* entity = entityFor(c)) {
      while (*entity != 0) result.push_back(static_cast<char16_t>(*entity++));
    } else {
      result.push_back(u'\uFFFD');
    }
  }
  return result;
}
