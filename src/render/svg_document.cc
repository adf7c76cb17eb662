#include "render/svg_document.h"

#include "render/connectors.h"
#include "render/item_boxes.h"
#include "render/layout.h"
#include "render/svg_pieces.h"
#include "text/wording.h"

namespace {

constexpr TextView TimestampMask = u"%yyyy-%mm-%dd %hh:%ii:%ss";

// The fixed definitions and style sheet, lines 9 to 32 of every document.
constexpr TextView DefinitionLines[] = {
    u"<defs>",
    u"  <linearGradient id=\"headerGrad\" x1=\"0%\" y1=\"0%\" x2=\"100%\" "
    u"y2=\"0%\">",
    u"    <stop offset=\"0%\" style=\"stop-color:#10b981;stop-opacity:1\" />",
    u"    <stop offset=\"100%\" style=\"stop-color:#06acac;stop-opacity:1\" />",
    u"  </linearGradient>",
    u"  <filter id=\"shadow\">",
    u"    <feDropShadow dx=\"2\" dy=\"2\" stdDeviation=\"3\" "
    u"flood-opacity=\"0.1\"/>",
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

void writeProlog(const CanvasSize& canvas, FileHandle file,
                 Timestamp generated) {
  Text w = formatInteger(canvas.width);
  Text h = formatInteger(canvas.height);
  writeLine(file, u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  writeLine(file, u"<svg xmlns=\"http://www.w3.org/2000/svg\" ");
  writeLine(file, u"     width=" + quoted(w) + u" height=" + quoted(h) + u" ");
  writeLine(file, u"     viewBox=" + quoted(u"0 0 " + w + u" " + h) + u">");
  writeLine(file, u"");
  writeLine(file, commentLine(wording::OriginCommentText));
  Text label(wording::TimestampLabel);
  writeLine(file, commentLine(label + u": " +
                              formatTimestamp(TimestampMask, generated)));
  writeLine(file, u"");
  for (TextView line : DefinitionLines) writeLine(file, line);
}

// One header text line centred at x, with the given baseline and class.
void writeHeaderText(FileHandle file, const Text& x, TextView y, TextView cls,
                     TextView content) {
  writeLine(file, u"<text x=" + quoted(x) + u" y=" + quoted(y) + u" class=" +
                      quoted(cls) + u" text-anchor=\"middle\">" +
                      Text(content) + u"</text>");
}

void writeHeader(const Flowchart& chart, const CanvasSize& canvas,
                 FileHandle file) {
  writeLine(file, u"<rect x=\"0\" y=\"0\" width=" + quoted(canvas.width) +
                      u" height=" + quoted(canvas.height) +
                      u" fill=\"#f8fafc\" />");
  writeLine(file, u"");
  writeLine(file, commentLine(wording::HeaderCommentText));
  Text middle = formatInteger(canvas.width / 2);
  writeHeaderText(file, middle, u"38", u"title", wording::DiagramTitleCaption);
  if (!chart.subtitle.empty()) {
    writeHeaderText(file, middle, u"60", u"subtitle",
                    escapeXml(chart.subtitle));
  }
  if (!chart.company.empty()) {
    writeHeaderText(file, middle, u"78", u"company", escapeXml(chart.company));
  }
  writeLine(file, u"");
}

void writeBand(const Section& section, FileHandle file) {
  writeLine(file, u"<g class=\"section\">");
  writeLine(file, u"  <rect x=\"40\" y=" + quoted(section.top) + u" ");
  writeLine(file,
            u"        width=\"110\" height=" + quoted(section.height) + u" ");
  writeLine(file, u"        fill=\"#dbeafe\" rx=\"6\" />");
  writeLine(file, u"  <text x=\"95\" ");
  writeLine(file, u"        y=" + quoted(section.top + section.height / 2 + 5) +
                      u" ");
  writeLine(file, u"        class=\"section-label\" text-anchor=\"middle\">" +
                      escapeXml(section.name) + u"</text>");
  writeLine(file, u"</g>");
  writeLine(file, u"");
}

void writeDocument(Flowchart& chart, const CanvasSize& canvas, FileHandle file,
                   Timestamp generated) {
  writeProlog(canvas, file, generated);
  writeHeader(chart, canvas, file);
  writeLine(file, commentLine(wording::SectionsCommentText));
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    writeBand(chart.sections[b], file);
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (chart.items[i].sectionno == b + 1) writeItemBox(chart, i, file);
    }
  }
  writeConnectors(chart, file);
  writeSummaryPanel(chart, canvas, file);
  writeLine(file, u"</svg>");
}

// XML 1.0 allows TAB, LF and CR below U+0020, and neither U+FFFE nor U+FFFF.
bool forbiddenInXml(char16_t c) {
  if (c < 0x20) return c != 0x09 && c != 0x0A && c != 0x0D;
  return c == 0xFFFE || c == 0xFFFF;
}

}  // namespace

int32_t generateSvg(Flowchart& chart, TextView path, Reporter& reporter) {
  CanvasSize canvas = layoutFlowchart(chart);
  FileHandle file = createReplacement(path);
  int32_t written = 0;
  if (file != nullptr) {
    writeDocument(chart, canvas, file, currentTime());
    written = finishWriting(file);
  }
  if (written == 0) {
    Text message(wording::CreateFailureCaption);
    reporter.reportError(message + Text(path));
  }
  return written;
}

void writeSvg(Flowchart& chart, FileHandle file, Timestamp generated) {
  writeDocument(chart, layoutFlowchart(chart), file, generated);
}

Text escapeXml(TextView text) {
  Text result = replaceAll(text, u"&", u"&amp;");
  result = replaceAll(result, u"<", u"&lt;");
  result = replaceAll(result, u">", u"&gt;");
  result = replaceAll(result, u"\"", u"&quot;");
  result = replaceAll(result, u"'", u"&apos;");
  for (char16_t& c : result) {
    if (forbiddenInXml(c)) c = u'\uFFFD';
  }
  return result;
}
