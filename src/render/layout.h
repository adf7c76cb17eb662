// Places the bands and boxes of a parsed Flowchart on the integer grid.
//
// Bands stack from y 130 in section order, 60 apart; a band is as high as
// its tallest box. Boxes stand in item order from x 185, 255 apart. The
// layout writes top/height of every section and x, y, column, sectionno and
// height of every item it places back into the chart.
#ifndef FLOWSVG_RENDER_LAYOUT_H_
#define FLOWSVG_RENDER_LAYOUT_H_

#include <cstdint>

#include "model/flowchart.h"

// What the layout hands to the SVG writer besides the model fields.
struct CanvasSize {
  int32_t width = 0;   // W = 255 x (largest section itemcount) + 225
  int32_t height = 0;  // H = yend + 160
  int32_t yend = 0;    // running y after the last band (+ its 60 gap)
};

// Height of the item's box: 16 per content pair + 50, at least 120.
int32_t boxHeight(const Flowchart& chart, int32_t item);

// Runs the whole layout over the chart and returns the canvas size.
CanvasSize layoutFlowchart(Flowchart& chart);

#endif  // FLOWSVG_RENDER_LAYOUT_H_
