#include "render/connectors.h"

#include <algorithm>
#include <string>
#include <utility>

#include "model/drawing_rules.h"
#include "render/svg_document.h"
#include "render/svg_line.h"
#include "base/utf8.h"
#include "base/wording.h"

namespace {

// The index of the palette entry (3 x a + 5 x b) mod 8. Callers pass sums
// that are never negative; the fold keeps any other argument inside the
// palette as well.
size_t paletteIndex(int32_t a, int32_t b) {
  int64_t index =
      (3 * static_cast<int64_t>(a) + 5 * static_cast<int64_t>(b)) % 8;
  if (index < 0) index += 8;
  return static_cast<size_t>(index);
}


// Finds the parent an id names: the first item in slot order with that
// itemid. The (itemid, slot) pairs are sorted once per document, so each of
// up to a thousand look-ups is a binary search.
class ParentFinder {
 public:
  explicit ParentFinder(const Flowchart& chart) : count_(chart.itemcount) {
    for (int32_t i = 0; i < count_; ++i) {
      byId_[i] = {chart.items[i].itemid, i};
    }
    std::sort(byId_.begin(), byId_.begin() + count_);
  }
  // Slot of the first item whose itemid is id, or -1.
  int32_t find(int32_t id) const {
    const auto end = byId_.begin() + count_;
    const auto it = std::lower_bound(byId_.begin(), end,
                                     std::pair<int32_t, int32_t>{id, -1});
    return it != end && it->first == id ? it->second : -1;
  }

 private:
  int32_t count_;
  std::array<std::pair<int32_t, int32_t>, MaxItems> byId_;
};

// A cubic curve from the bottom centre of the parent's box to the top centre
// of the child's box.
void writeConnector(const FlowItem& parent, const FlowItem& child,
                    SvgLine& line) {
  const int32_t x1 = parent.x + parent.width / 2;
  const int32_t y1 = parent.y + parent.height;
  const int32_t x2 = child.x + child.width / 2;
  const int32_t y2 = child.y;
  const int32_t dy = y2 - y1;
  const int32_t c1 = y1 + dy / 3;
  const int32_t c2 = y1 + (2 * dy) / 3;
  line << "  <path d=\"M " << x1 << " " << y1 << " C " << x1 << " " << c1 << ","
       << x2 << " " << c2 << "," << x2 << " " << y2 << "\" ";
  line.end();
  line << "        stroke=\""
       << connectorColour(parent.column + child.column,
                          parent.sectionno + child.sectionno)
       << "\" stroke-width=\"2\" ";
  line.end();
  line.write("        fill=\"none\" marker-end=\"url(#arrowhead)\" />");
}

}  // namespace


std::string_view connectorColour(int32_t a, int32_t b) {
  return ConnectorPalette[paletteIndex(a, b)];
}

void writeConnectors(const Flowchart& chart, LineBuffer& out) {
  SvgLine line(out);
  const ParentFinder parents(chart);
  line.comment(wording::ConnectorsCommentText);
  for (int32_t c = 0; c < chart.itemcount; ++c) {
    const FlowItem& child = chart.items[c];
    for (int32_t j = 0; j < child.parentcount; ++j) {
      const int32_t id = child.parents[j];
      if (id <= 0) continue;
      const int32_t p = parents.find(id);
      if (p < 0) continue;
      writeConnector(chart.items[p], child, line);
    }
  }
  line.write("");
}

std::vector<std::pair<int32_t, int32_t>> connectorEnds(const Flowchart& chart) {
  std::vector<std::pair<int32_t, int32_t>> ends;
  const ParentFinder parents(chart);
  for (int32_t c = 0; c < chart.itemcount; ++c) {
    const FlowItem& child = chart.items[c];
    for (int32_t j = 0; j < child.parentcount; ++j) {
      const int32_t id = child.parents[j];
      if (id <= 0) continue;
      const int32_t p = parents.find(id);
      if (p >= 0) ends.emplace_back(p, c);
    }
  }
  return ends;
}

void writeSummaryPanel(const Flowchart& chart, const CanvasSize& canvas,
                       LineBuffer& out) {
  const int32_t top = canvas.yend + 15;
  SvgLine line(out);
  line.comment(wording::SummaryCommentText);
  line.write("<g>");
  line << "  <rect x=\"40\" y=\"" << top << "\" ";
  line.end();
  line << "        width=\"" << canvas.width - 80 << "\" height=\"100\" ";
  line.end();
  line.write(
      "        fill=\"#fef3c7\" stroke=\"#f59e0b\" stroke-width=\"1\" "
      "rx=\"6\" />");
  line << "  <text x=\"55\" y=\"" << top + 25 << "\" ";
  line.end();
  line << "        class=\"summary-title\">" << wording::SummaryCaption
       << "</text>";
  line.end();
  const std::vector<Text> lines = summaryLines(chart.summary);
  int32_t lineY = top + 48;
  for (size_t k = 0; k < lines.size() && k < MostSummaryLines; ++k) {
    Text shown = lines[k];
    if (shown.empty()) continue;
    if (textLength(shown) > LongestSummaryLine) {
      shown = Text(leftPartWhole(shown, LongestSummaryLine - 3)) + u"...";
    }
    line << "  <text x=\"55\" y=\"" << lineY << "\" ";
    line.end();
    line << "        class=\"summary-content\">" << Escaped{shown} << "</text>";
    line.end();
    lineY += 18;
  }
  line.write("</g>");
  line.write("");
}
