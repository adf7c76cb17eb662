#include "render/item_boxes.h"

#include "model/drawing_rules.h"
#include "render/svg_document.h"
#include "render/svg_line.h"

namespace {

void writeContentLines(const FlowItem& item, SvgLine& line) {
  int32_t lineY = item.y + 42;
  for (int32_t k = 0; k < item.contentcount; ++k) {
    // Nothing is written below the box; the layout makes every box tall
    // enough, so this only guards against a chart laid out by hand.
    if (lineY >= item.y + item.height - 10) break;
    const ContentPair& pair = item.content[k];
    line << "  <text x=\"" << item.x + ContentInset << "\" y=\"" << lineY
         << "\">";
    line.end();
    line << "    <tspan class=\"node-content-key\">" << Escaped{pair.key}
         << ":</tspan>";
    line.end();
    bool cut = false;
    line << "    <tspan class=\"node-content-value\" dx=\"3\">"
         << Escaped{shownBoxValue(pair.key, pair.value, cut)};
    if (cut) line << "...";
    line << "</tspan>";
    line.end();
    line.write("  </text>");
    lineY += 16;
  }
}

}  // namespace

void writeItemBox(const Flowchart& chart, int32_t item, LineBuffer& out) {
  const FlowItem& it = chart.items[item];
  SvgLine line(out);
  line << "<g id=\"node-" << it.itemid << "\" filter=\"url(#shadow)\">";
  line.end();
  line << "  <rect x=\"" << it.x << "\" y=\"" << it.y << "\" ";
  line.end();
  line << "        width=\"" << it.width << "\" height=\"" << it.height
       << "\" ";
  line.end();
  line.write("        fill=\"#ffffff\" stroke=\"#10b981\" ");
  line.write("        stroke-width=\"2\" rx=\"8\" />");
  line << "  <rect x=\"" << it.x + 1 << "\" y=\"" << it.y + 1 << "\" ";
  line.end();
  line << "        width=\"" << it.width - 2 << "\" height=\"28\" ";
  line.end();
  line.write("        fill=\"url(#headerGrad)\" rx=\"7\" />");
  line << "  <text x=\"" << it.x + TitleInset << "\" y=\"" << it.y + 20
       << "\" ";
  line.end();
  line << "        class=\"node-title\" fill=\"#ffffff\">" << Escaped{it.title}
       << "</text>";
  line.end();
  writeContentLines(it, line);
  line.write("</g>");
  line.write("");
}
