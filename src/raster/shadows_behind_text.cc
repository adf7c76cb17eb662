#include "raster/shadows_behind_text.h"

namespace {

constexpr std::string_view FilterStart = "<filter id=\"shadow\">";
constexpr std::string_view FilterEnd = "</filter>";
constexpr std::string_view MergeSource = "<feMergeNode in=\"SourceGraphic\"/>";
constexpr std::string_view Filtered = " filter=\"url(#shadow)\"";
constexpr std::string_view ShadowOnly = "<g filter=\"url(#shadow-behind)\">";

// Where the </g> that closes the group whose content starts at `from` ends;
// npos when it is not closed.
size_t groupEnd(std::string_view svg, size_t from) {
  int depth = 1;
  for (size_t at = svg.find('<', from); at != std::string_view::npos;
       at = svg.find('<', at + 1)) {
    const std::string_view tag = svg.substr(at, 4);
    if (tag.substr(0, 3) == "<g " || tag.substr(0, 3) == "<g>") {
      const size_t close = svg.find('>', at);
      if (close == std::string_view::npos) return close;
      if (svg[close - 1] != '/') ++depth;  // <g/> holds nothing
    } else if (tag == "</g>" && --depth == 0) {
      return at + 4;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string shadowsBehindText(std::string_view svg) {
  const size_t filter = svg.find(FilterStart);
  if (filter == std::string_view::npos) return std::string(svg);
  const size_t filterEnd = svg.find(FilterEnd, filter);
  if (filterEnd == std::string_view::npos) return std::string(svg);
  const size_t afterFilter = filterEnd + FilterEnd.size();
  std::string behind(svg.substr(filter, afterFilter - filter));
  const size_t merge = behind.find(MergeSource);
  if (merge == std::string::npos) return std::string(svg);
  // The copy ends with the faded, offset shadow alone.
  behind.erase(merge, MergeSource.size());
  behind.replace(0, FilterStart.size(), "<filter id=\"shadow-behind\">");

  std::string out;
  out.reserve(svg.size() * 2);
  out.append(svg.substr(0, afterFilter));
  out.append("\n  ").append(behind);
  size_t copied = afterFilter;
  for (size_t at = svg.find(Filtered, copied); at != std::string_view::npos;
       at = svg.find(Filtered, copied)) {
    const size_t tagStart = svg.rfind('<', at);
    const size_t tagEnd = svg.find('>', at);
    if (tagStart < copied || tagEnd == std::string_view::npos ||
        svg.substr(tagStart, 3) != "<g ") {
      out.append(svg.substr(copied, at + Filtered.size() - copied));
      copied = at + Filtered.size();
      continue;
    }
    const size_t end = groupEnd(svg, tagEnd + 1);
    if (end == std::string_view::npos) break;
    const std::string_view content =
        svg.substr(tagEnd + 1, end - 4 - (tagEnd + 1));
    out.append(svg.substr(copied, tagStart - copied));
    out.append(ShadowOnly).append(content).append("</g>\n");
    out.append(svg.substr(tagStart, at - tagStart));
    out.append(svg.substr(at + Filtered.size(), end - (at + Filtered.size())));
    copied = end;
  }
  out.append(svg.substr(copied));
  return out;
}
