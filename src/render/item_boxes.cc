#include "render/item_boxes.h"

#include "render/svg_document.h"
#include "render/svg_pieces.h"

namespace {

// A content line longer than this (key, ":" and value) has its value cut.
constexpr int32_t LongestContentLine = 28;
// What is left of a cut value, before "..." is added.
constexpr int32_t CutValueLength = 25;

// The value as the box shows it after the key and its colon.
Text shownValue(const ContentPair& pair) {
  if (textLength(pair.key) + 1 + textLength(pair.value) > LongestContentLine) {
    return leftPart(pair.value, CutValueLength) + u"...";
  }
  return pair.value;
}

void writeContentLines(const FlowItem& item, FileHandle file) {
  int32_t lineY = item.y + 42;
  for (int32_t k = 0; k < item.contentcount; ++k) {
    // Nothing is written below the box; the layout makes every box tall
    // enough, so this only guards against a chart laid out by hand.
    if (lineY >= item.y + item.height - 10) break;
    const ContentPair& pair = item.content[k];
    writeLine(file, u"  <text x=" + quoted(item.x + 10) + u" y=" +
                        quoted(lineY) + u">");
    writeLine(file, u"    <tspan class=\"node-content-key\">" +
                        escapeXml(pair.key + u":") + u"</tspan>");
    writeLine(file, u"    <tspan class=\"node-content-value\" dx=\"3\">" +
                        escapeXml(shownValue(pair)) + u"</tspan>");
    writeLine(file, u"  </text>");
    lineY += 16;
  }
}

}  // namespace

void writeItemBox(const Flowchart& chart, int32_t item, FileHandle file) {
  const FlowItem& it = chart.items[item];
  writeLine(file, u"<g id=" + quoted(u"node-" + formatInteger(it.itemid)) +
                      u" filter=\"url(#shadow)\">");
  writeLine(file, u"  <rect x=" + quoted(it.x) + u" y=" + quoted(it.y) + u" ");
  writeLine(file, u"        width=" + quoted(it.width) + u" height=" +
                      quoted(it.height) + u" ");
  writeLine(file, u"        fill=\"#ffffff\" stroke=\"#10b981\" ");
  writeLine(file, u"        stroke-width=\"2\" rx=\"8\" />");
  writeLine(file, u"  <rect x=" + quoted(it.x + 1) + u" y=" + quoted(it.y + 1) +
                      u" ");
  writeLine(file,
            u"        width=" + quoted(it.width - 2) + u" height=\"28\" ");
  writeLine(file, u"        fill=\"url(#headerGrad)\" rx=\"7\" />");
  writeLine(file, u"  <text x=" + quoted(it.x + 15) + u" y=" +
                      quoted(it.y + 20) + u" ");
  writeLine(file, u"        class=\"node-title\" fill=\"#ffffff\">" +
                      escapeXml(it.title) + u"</text>");
  writeContentLines(it, file);
  writeLine(file, u"</g>");
  writeLine(file, u"");
}
