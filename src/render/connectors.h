// Connectors between parent and child boxes, and the summary panel.
#ifndef FLOWSVG_RENDER_CONNECTORS_H_
#define FLOWSVG_RENDER_CONNECTORS_H_

#include <array>
#include <cstdint>

#include "model/flowchart.h"
#include "render/layout.h"
#include "render/svg_line.h"

// The eight connector colours.
inline constexpr std::array<TextView, 8> ConnectorPalette = {
    u"#3b82f6", u"#06b6d4", u"#8b5cf6", u"#ec4899",
    u"#f59e0b", u"#10b981", u"#ef4444", u"#6366f1"};

// ConnectorPalette entry (3 x a + 5 x b) mod 8; a and b are sums of columns
// and section numbers, never negative.
Text connectorColour(int32_t a, int32_t b);

// Writes the connectors comment, one path per parent reference of every
// item (placed or not) and an empty line.
void writeConnectors(const Flowchart& chart, SvgOutput& out);

// Writes the summary panel below the last band, with up to six lines of the
// summary split at "|" and "\n".
void writeSummaryPanel(const Flowchart& chart, const CanvasSize& canvas,
                       SvgOutput& out);

#endif  // FLOWSVG_RENDER_CONNECTORS_H_
