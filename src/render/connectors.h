// Connectors between parent and child boxes, and the summary panel.
#ifndef FLOWSVG_RENDER_CONNECTORS_H_
#define FLOWSVG_RENDER_CONNECTORS_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "model/flowchart.h"
#include "render/layout.h"
#include "base/line_buffer.h"

// The eight connector colours.
inline constexpr std::array<std::string_view, 8> ConnectorPalette = {
    "#3b82f6", "#06b6d4", "#8b5cf6", "#ec4899",
    "#f59e0b", "#10b981", "#ef4444", "#6366f1"};

// ConnectorPalette entry (3 x a + 5 x b) mod 8; a and b are sums of columns
// and section numbers, never negative.
std::string_view connectorColour(int32_t a, int32_t b);

// Writes the connectors comment, one path per parent reference of every
// item (placed or not) and an empty line.
void writeConnectors(const Flowchart& chart, LineBuffer& out);

// The connectors writeConnectors draws, in its order: each as the slots of
// its parent and child item.
std::vector<std::pair<int32_t, int32_t>> connectorEnds(const Flowchart& chart);

// Writes the summary panel below the last band, with up to six lines of the
// summary split at "|" and "\n".
void writeSummaryPanel(const Flowchart& chart, const CanvasSize& canvas,
                       LineBuffer& out);

#endif  // FLOWSVG_RENDER_CONNECTORS_H_
