// The keywords of the description format and the sample description: what
// a description file says, not what the programs tell the user. A
// translation of the programs leaves the keywords as they are (descriptions
// written in any language keep working) and may translate the sample.
#ifndef FLOWSVG_MODEL_KEYWORDS_H_
#define FLOWSVG_MODEL_KEYWORDS_H_

#include <string_view>

namespace wording {

using T = std::u16string_view;

// Description file keywords.
inline constexpr T HeaderSectionName = u"Header";
inline constexpr T SummarySectionName = u"Summary";
inline constexpr T SubtitleKey = u"subtitle";
inline constexpr T CompanyKey = u"company";
inline constexpr T SummaryKey = u"text";

// Sample description file: its name and its 40 lines (the last holds one CR
// between the two parts of the summary).
inline constexpr T SampleFileName = u"sample_flowchart.txt";
inline constexpr T SampleLines[] = {
    u"[Header]",
    u"subtitle = 5L bottling line: from order to shipment",
    u"company = Example Beverages Ltd.",
    u"",
    u"[Production.Steps]",
    u"itemid = 11",
    u"fromid = 0",
    u"image = order.png",
    u"title = Process step",
    u"Owner = Sales",
    u"Period = 2025.1.1-2025.1.3",
    u"Volume = 100L",
    u"Note = Confirm the order with the customer.",
    u"",
    u"[Production.Steps]",
    u"itemid = 12",
    u"fromid = 0",
    u"image = material.png",
    u"title = Process step",
    u"Owner = Purchasing",
    u"Period = 2025.1.1-2025.1.3",
    u"",
    u"[Production.Steps]",
    u"itemid = 21",
    u"fromid = 11",
    u"image = production.png",
    u"title = Process step",
    u"Shifts = 1 to 3 a day",
    u"Period = 2025.1.8-2025.1.9",
    u"",
    u"[Production.Steps]",
    u"itemid = 22",
    u"fromid = 12",
    u"image = production.png",
    u"title = Process step",
    u"Station = T4A",
    u"Date = 2025.1.11",
    u"",
    u"[Summary]",
    u"text = Four steps from order to shipment\rDates are examples only",
};

}  // namespace wording

#endif  // FLOWSVG_MODEL_KEYWORDS_H_
