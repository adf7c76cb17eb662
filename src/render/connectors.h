// Connectors between parent and child boxes, and the summary panel.
#ifndef FLOWSVG_RENDER_CONNECTORS_H_
#define FLOWSVG_RENDER_CONNECTORS_H_

#include <array>
#include <cstdint>

#include "model/flowchart.h"
#include "render/layout.h"
#include "platform/text_file.h"

// The eight connector colours, filled once at start-up by initPalette.
extern std::array<Text, 8> ConnectorPalette;
void initPalette();

// ConnectorPalette entry (3 x a + 5 x b) mod 8; a and b are sums of columns
// and section numbers, never negative.
Text connectorColour(int32_t a, int32_t b);

// Writes the connectors comment, one path per parent reference of every
// item (placed or not) and an empty line.
void writeConnectors(const Flowchart& chart, FileHandle file);

// Writes the summary panel below the last band, with up to six lines of the
// summary split at "|" and "\n".
void writeSummaryPanel(const Flowchart& chart, const CanvasSize& canvas,
                       FileHandle file);

#endif  // FLOWSVG_RENDER_CONNECTORS_H_
