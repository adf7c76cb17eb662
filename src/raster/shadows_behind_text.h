// Keeps the boxes' texts as text in a PDF. The drawing gives each box a
// drop shadow with an SVG filter on the box's group; librsvg draws a
// filtered group as pixels, so in a PDF the box's texts would become an
// image that cannot be selected or searched. The same picture comes from
// drawing the shadow alone, filtered, and the group unfiltered over it: the
// filter's last step lays the group over its shadow in just that way.
#ifndef FLOWSVG_RASTER_SHADOWS_BEHIND_TEXT_H_
#define FLOWSVG_RASTER_SHADOWS_BEHIND_TEXT_H_

#include <string>
#include <string_view>

// The SVG with every group filtered by url(#shadow) drawn twice: first
// under a copy of that filter without its final merge of the group itself
// (id "shadow-behind"), with no id of its own, then unfiltered. An SVG
// without such a filter comes back unchanged.
std::string shadowsBehindText(std::string_view svg);

#endif  // FLOWSVG_RASTER_SHADOWS_BEHIND_TEXT_H_
