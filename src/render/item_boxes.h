// The box of one placed item: a shadowed white rounded rectangle, a gradient
// title bar with the title, and one "key: value" line per content pair.
#ifndef FLOWSVG_RENDER_ITEM_BOXES_H_
#define FLOWSVG_RENDER_ITEM_BOXES_H_

#include <cstdint>

#include "model/flowchart.h"
#include "base/line_buffer.h"

// Writes the box of the item in slot item (which the layout placed).
void writeItemBox(const Flowchart& chart, int32_t item, LineBuffer& out);

#endif  // FLOWSVG_RENDER_ITEM_BOXES_H_
