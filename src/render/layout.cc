#include "render/layout.h"

namespace {

constexpr int32_t FirstBandTop = 130;
constexpr int32_t BandGap = 60;
constexpr int32_t BottomReserve = 160;
constexpr int32_t FirstBoxX = 185;
constexpr int32_t BoxPitch = 255;
constexpr int32_t WidthMargin = 225;

// Index of the band that takes the item: the section named by the item's
// group and name parts joined with ".", or -1 when no section has that name.
int32_t bandOf(const Flowchart& chart, int32_t item) {
  const FlowItem& it = chart.items[item];
  return findSection(chart, it.grouppart + u"." + it.namepart);
}

}  // namespace

int32_t boxHeight(const Flowchart& chart, int32_t item) {
  int32_t height = 16 * chart.items[item].contentcount + 50;
  return height < 120 ? 120 : height;
}

CanvasSize layoutFlowchart(Flowchart& chart) {
  CanvasSize canvas;
  int32_t widest = 0;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    if (chart.sections[b].itemcount > widest) {
      widest = chart.sections[b].itemcount;
    }
  }
  canvas.width = BoxPitch * widest + WidthMargin;

  // The band of every item is the same for every pass below.
  int32_t band[MaxItems];
  for (int32_t i = 0; i < chart.itemcount; ++i) band[i] = bandOf(chart, i);

  int32_t y = FirstBandTop;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    Section& section = chart.sections[b];
    section.top = y;
    int32_t tallest = 0;
    int32_t column = 0;
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (band[i] != b) continue;
      FlowItem& item = chart.items[i];
      item.y = y;
      item.height = boxHeight(chart, i);
      item.column = ++column;
      item.sectionno = b + 1;
      if (item.height > tallest) tallest = item.height;
    }
    section.height = tallest;
    y += tallest + BandGap;
  }
  canvas.yend = y;
  canvas.height = y + BottomReserve;

  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    int32_t x = FirstBoxX;
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (band[i] != b) continue;
      chart.items[i].x = x;
      x += BoxPitch;
    }
  }
  return canvas;
}
