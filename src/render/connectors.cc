#include "render/connectors.h"

#include "render/svg_document.h"
#include "render/svg_pieces.h"
#include "text/wording.h"

std::array<Text, 8> ConnectorPalette;

namespace {

constexpr int32_t MostSummaryLines = 6;
constexpr int32_t LongestSummaryLine = 90;

// Slot of the first item whose itemid is id, or -1.
int32_t findItem(const Flowchart& chart, int32_t id) {
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    if (chart.items[i].itemid == id) return i;
  }
  return -1;
}

// A cubic curve from the bottom centre of the parent's box to the top centre
// of the child's box.
void writeConnector(const FlowItem& parent, const FlowItem& child,
                    FileHandle file) {
  int32_t x1 = parent.x + parent.width / 2;
  int32_t y1 = parent.y + parent.height;
  int32_t x2 = child.x + child.width / 2;
  int32_t y2 = child.y;
  int32_t dy = y2 - y1;
  int32_t c1 = y1 + dy / 3;
  int32_t c2 = y1 + (2 * dy) / 3;
  Text data = u"M " + formatInteger(x1) + u" " + formatInteger(y1) + u" C " +
              formatInteger(x1) + u" " + formatInteger(c1) + u"," +
              formatInteger(x2) + u" " + formatInteger(c2) + u"," +
              formatInteger(x2) + u" " + formatInteger(y2);
  Text colour = connectorColour(parent.column + child.column,
                                parent.sectionno + child.sectionno);
  writeLine(file, u"  <path d=" + quoted(data) + u" ");
  writeLine(file,
            u"        stroke=" + quoted(colour) + u" stroke-width=\"2\" ");
  writeLine(file, u"        fill=\"none\" marker-end=\"url(#arrowhead)\" />");
}

}  // namespace

void initPalette() {
  ConnectorPalette = {u"#3b82f6", u"#06b6d4", u"#8b5cf6", u"#ec4899",
                      u"#f59e0b", u"#10b981", u"#ef4444", u"#6366f1"};
}

Text connectorColour(int32_t a, int32_t b) {
  // Callers pass sums that are never negative; the fold keeps any other
  // argument inside the palette as well.
  int64_t index =
      (3 * static_cast<int64_t>(a) + 5 * static_cast<int64_t>(b)) % 8;
  if (index < 0) index += 8;
  return ConnectorPalette[static_cast<size_t>(index)];
}

void writeConnectors(const Flowchart& chart, FileHandle file) {
  writeLine(file, commentLine(wording::ConnectorsCommentText));
  for (int32_t c = 0; c < chart.itemcount; ++c) {
    const FlowItem& child = chart.items[c];
    for (int32_t j = 0; j < child.parentcount; ++j) {
      int32_t id = child.parents[j];
      if (id <= 0) continue;
      int32_t p = findItem(chart, id);
      if (p < 0) continue;
      writeConnector(chart.items[p], child, file);
    }
  }
  writeLine(file, u"");
}

void writeSummaryPanel(const Flowchart& chart, const CanvasSize& canvas,
                       FileHandle file) {
  int32_t top = canvas.yend + 15;
  writeLine(file, commentLine(wording::SummaryCommentText));
  writeLine(file, u"<g>");
  writeLine(file, u"  <rect x=\"40\" y=" + quoted(top) + u" ");
  writeLine(file, u"        width=" + quoted(canvas.width - 80) +
                      u" height=\"100\" ");
  writeLine(file,
            u"        fill=\"#fef3c7\" stroke=\"#f59e0b\" stroke-width=\"1\" "
            u"rx=\"6\" />");
  writeLine(file, u"  <text x=\"55\" y=" + quoted(top + 25) + u" ");
  writeLine(file, u"        class=\"summary-title\">" +
                      Text(wording::SummaryCaption) + u"</text>");
  // "|" and the two characters "\n" both separate summary lines.
  Text lines = replaceAll(chart.summary, u"\\n", u"|");
  int32_t fields = countText(lines, u"|") + 1;
  int32_t lineY = top + 48;
  for (int32_t k = 1; k <= fields && k <= MostSummaryLines; ++k) {
    Text line = trimSpaces(fieldAt(lines, k, u"|"));
    if (line.empty()) continue;
    if (textLength(line) > LongestSummaryLine) {
      line = leftPart(line, LongestSummaryLine - 3) + u"...";
    }
    writeLine(file, u"  <text x=\"55\" y=" + quoted(lineY) + u" ");
    writeLine(file, u"        class=\"summary-content\">" + escapeXml(line) +
                        u"</text>");
    lineY += 18;
  }
  writeLine(file, u"</g>");
  writeLine(file, u"");
}
