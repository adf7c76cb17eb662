// The in-memory form of one flowchart description, with the positions the
// layout computes for it.
//
// Every table has a fixed capacity and is part of the Flowchart object
// itself, so nothing grows while the program runs. The caller owns the
// Flowchart (the desktop and the command line keep one for the whole run; a
// test makes its own) and passes it by reference. Items and sections are
// addressed by 0-based slot index; itemid is only the user's number.
//
// Invariants whenever the parser is not running: 0 <= itemcount <= MaxItems,
// 0 <= sectioncount <= MaxSections, every item in use has 0 <= parentcount <=
// MaxParents and 0 <= contentcount <= MaxContentPairs, and section names are
// pairwise different and never the header or summary section name. Slots at
// or beyond the counts hold leftovers that nothing reads.
#ifndef FLOWSVG_MODEL_FLOWCHART_H_
#define FLOWSVG_MODEL_FLOWCHART_H_

#include <array>
#include <cstdint>

#include "base/strings.h"

inline constexpr int32_t MaxItems = 100;
inline constexpr int32_t MaxSections = 20;
inline constexpr int32_t MaxContentPairs = 15;
inline constexpr int32_t MaxParents = 10;
inline constexpr int32_t ItemWidth = 220;

// The keys of an item's lines that have a meaning of their own; any other
// key is a box line. They are the format's own words, never translated. As
// views their lengths are known when the program is built, so comparing a
// key with them costs no scan for their ends.
inline constexpr TextView ItemidKey = u"itemid";
inline constexpr TextView FromidKey = u"fromid";
inline constexpr TextView ImageKey = u"image";
inline constexpr TextView TitleKey = u"title";

// One "key = value" line of an item, both trimmed of spaces.
struct ContentPair {
  Text key;
  Text value;
};

// One box of the drawing.
struct FlowItem {
  int32_t itemid = 0;
  Text fromid;     // the last fromid value as written; nothing draws it
  Text image;      // the last image value; nothing draws it
  Text title;      // the box title
  Text grouppart;  // section name before its first "."; empty without "."
  Text namepart;   // section name after its first "."; whole name without "."
  int32_t x = 0;   // layout: left edge
  int32_t y = 0;   // layout: top edge
  int32_t column = 0;     // layout: 1-based position within the band
  int32_t sectionno = 0;  // layout: 1-based band number, 0 when in no band
  int32_t width = ItemWidth;
  int32_t height = 0;  // layout: box height
  int32_t parentcount = 0;
  int32_t contentcount = 0;
  std::array<int32_t, MaxParents> parents{};  // ids; <= 0 names no parent
  std::array<ContentPair, MaxContentPairs> content;
};

// One band of the drawing.
struct Section {
  Text name;
  int32_t itemcount = 0;  // itemid lines read while this was the section
  int32_t top = 0;        // layout: y of the band's top
  int32_t height = 0;     // layout: height of the tallest box in the band
};

struct Flowchart {
  Text subtitle;
  Text company;
  Text summary;
  int32_t itemcount = 0;
  std::array<FlowItem, MaxItems> items;
  int32_t sectioncount = 0;
  std::array<Section, MaxSections> sections;
};

// Empties the model for a new parse: header texts and summary become empty,
// both counts 0. Slots are initialised when they are taken into use.
void clearFlowchart(Flowchart& chart);

// Lists a new section with the given name (itemcount 0, height 0) and returns
// its index, or -1 when MaxSections are listed. Does not look for duplicates.
int32_t addSection(Flowchart& chart, const Text& name);

// Index of the first listed section whose name equals name exactly, or -1.
int32_t findSection(const Flowchart& chart, TextView name);

// Appends a content pair to the item in slot item, unless it already holds
// MaxContentPairs pairs, in which case the pair is dropped.
void addContentPair(Flowchart& chart, int32_t item, TextView key,
                    TextView value);

// Calls each(field) for the fields of a fromid value in order: the texts
// between its commas, each trimmed of spaces (an empty one included); stops
// early when each returns false.
template <typename Each>
void forEachFromidField(TextView value, Each each) {
  size_t begin = 0;
  for (;;) {
    const size_t comma = value.find(u',', begin);
    const TextView field = trimSpacesView(value.substr(
        begin, comma == TextView::npos ? TextView::npos : comma - begin));
    if (!each(field) || comma == TextView::npos) return;
    begin = comma + 1;
  }
}

#endif  // FLOWSVG_MODEL_FLOWCHART_H_
