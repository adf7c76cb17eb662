// The invariants a parsed and laid-out Flowchart keeps for every input, as
// the description fuzz target checks them. Each failed check aborts.
#ifndef FLOWSVG_FUZZ_CHART_CHECKS_H_
#define FLOWSVG_FUZZ_CHART_CHECKS_H_

#include <algorithm>
#include <array>
#include <string>

#include "fuzz_check.h"
#include "model/flowchart.h"
#include "render/layout.h"
#include "base/wording.h"

// What the parser leaves: counts within the tables' capacities, section
// names listed once and never the header or summary section name, and no
// more items counted into sections than were read.
inline void checkParsedChart(const Flowchart& chart) {
  FUZZ_CHECK(chart.itemcount >= 0 && chart.itemcount <= MaxItems,
             "item count within 100", std::to_string(chart.itemcount));
  FUZZ_CHECK(chart.sectioncount >= 0 && chart.sectioncount <= MaxSections,
             "section count within 20", std::to_string(chart.sectioncount));
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    const FlowItem& item = chart.items[i];
    std::string which = "item slot " + std::to_string(i);
    FUZZ_CHECK(item.parentcount >= 0 && item.parentcount <= MaxParents,
               "parent count within 10", which);
    FUZZ_CHECK(item.contentcount >= 0 && item.contentcount <= MaxContentPairs,
               "content pair count within 15", which);
    FUZZ_CHECK(item.width == ItemWidth, "box width 220", which);
  }
  int32_t counted = 0;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    const Text& name = chart.sections[b].name;
    FUZZ_CHECK(name != wording::HeaderSectionName &&
                   name != wording::SummarySectionName,
               "header or summary listed as a band", showText(name));
    for (int32_t c = 0; c < b; ++c) {
      FUZZ_CHECK(chart.sections[c].name != name, "section listed twice",
                 showText(name));
    }
    FUZZ_CHECK(chart.sections[b].itemcount >= 0, "section item count >= 0",
               showText(name));
    counted += chart.sections[b].itemcount;
  }
  FUZZ_CHECK(counted <= chart.itemcount, "sections count more items than read",
             std::to_string(counted));
}

// What the layout leaves: bands stacked from 130, 60 apart, each as high as
// its tallest box; every placed box at its band's top, at x = 185 + 255 x
// (column - 1), with columns 1, 2, 3, ... in item order; unplaced items at
// zero; the canvas as wide as the widest counted band and reaching 160 below
// the last band.
inline void checkLaidOutChart(const Flowchart& chart,
                              const CanvasSize& canvas) {
  std::array<int32_t, MaxSections> columns{};
  std::array<int32_t, MaxSections> tallest{};
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    const FlowItem& item = chart.items[i];
    std::string which = "item slot " + std::to_string(i);
    if (item.sectionno == 0) {
      FUZZ_CHECK(
          item.x == 0 && item.y == 0 && item.column == 0 && item.height == 0,
          "unplaced item keeps zero position", which);
      continue;
    }
    FUZZ_CHECK(item.sectionno >= 1 && item.sectionno <= chart.sectioncount,
               "band number names a band", which);
    int32_t b = item.sectionno - 1;
    FUZZ_CHECK(item.y == chart.sections[b].top, "box at its band's top", which);
    FUZZ_CHECK(item.column == ++columns[b], "columns 1, 2, 3 in item order",
               which);
    FUZZ_CHECK(item.x == 185 + 255 * (item.column - 1),
               "box at x = 185 + 255 x (column - 1)", which);
    FUZZ_CHECK(item.height == std::max(120, 16 * item.contentcount + 50),
               "box height from its content pairs", which);
    tallest[b] = std::max(tallest[b], item.height);
  }
  int32_t y = 130;
  int32_t widest = 0;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    const Section& section = chart.sections[b];
    std::string which = "band " + std::to_string(b + 1);
    FUZZ_CHECK(section.top == y, "bands stacked 60 apart from 130", which);
    FUZZ_CHECK(section.height == tallest[b], "band as high as its tallest box",
               which);
    y += section.height + 60;
    widest = std::max(widest, section.itemcount);
  }
  FUZZ_CHECK(canvas.yend == y, "end of the last band", std::to_string(y));
  FUZZ_CHECK(canvas.height == y + 160, "canvas height",
             std::to_string(canvas.height));
  FUZZ_CHECK(canvas.width == 255 * widest + 225, "canvas width",
             std::to_string(canvas.width));
}

#endif  // FLOWSVG_FUZZ_CHART_CHECKS_H_
