#include "model/parser.h"

#include <memory>
#include <new>

#include "model/description_warnings.h"
#include "base/wording.h"

namespace {

// Fills the slot as a new item read under the given section name; nothing of
// an item that used the slot in an earlier parse survives.
void startItem(FlowItem& item, int32_t itemid, TextView sectionName) {
  item.itemid = itemid;
  item.fromid.clear();
  item.image.clear();
  item.title.clear();
  const size_t dot = sectionName.find(u'.');
  if (dot != TextView::npos) {
    item.grouppart.assign(sectionName.substr(0, dot));
    item.namepart.assign(sectionName.substr(dot + 1));
  } else {
    item.grouppart.clear();
    item.namepart.assign(sectionName);
  }
  item.x = item.y = item.column = item.sectionno = item.height = 0;
  item.width = ItemWidth;
  item.parentcount = 0;
  item.contentcount = 0;
}

// Fills the parents from a fromid value: the ids between its commas, each
// trimmed of spaces, the first MaxParents of them; an empty or non-numeric
// field reads as 0 and still takes an entry.
void setParents(FlowItem& item, TextView value) {
  item.fromid.assign(value);
  item.parentcount = 0;
  forEachFromidField(value, [&](TextView field) {
    item.parents[item.parentcount++] =
        static_cast<int32_t>(parseInteger(field));
    return item.parentcount < MaxParents;
  });
}

// The reading loop of parseDescription; may run out of memory. warn, when
// given, hears of every decision; it never changes what is read.
void readLines(Flowchart& chart, LineReader& reader,
               DescriptionWarnings* warn) {
  Text section;
  // The index of the current section in the chart's list, -1 when it is
  // not listed (the header, the summary, a name the full list did not
  // take): only a section line lists a name, so this is what findSection
  // would find for the current section name until the next section line.
  int32_t sectionIndex = -1;
  int32_t current = -1;   // slot of the current item, -1 before the first
  Text raw;               // one line as read; the views below point into it
  bool afterNul = false;  // the line before ended at a 0x00 byte
  while (!reader.atEnd() && chart.itemcount < MaxItems) {
    reader.readLineInto(raw);
    if (warn) warn->startLine(reader.lastLineWasUtf8(), afterNul);
    afterNul = reader.lastLineEndedAtNul();
    const TextView line = trimSpacesView(raw);
    if (line.empty() || line[0] == u'#' || line[0] == u';') continue;
    if (line.front() == u'[' && line.back() == u']') {
      section.assign(line.substr(1, line.size() - 2));
      sectionIndex = -1;
      if (section != wording::HeaderSectionName &&
          section != wording::SummarySectionName) {
        sectionIndex = findSection(chart, section);
        const bool added = sectionIndex < 0;
        if (added) sectionIndex = addSection(chart, section);
        if (warn)
          warn->sectionLine(section, sectionIndex, added && sectionIndex >= 0);
      }
      continue;
    }
    const size_t equals = line.find(u'=');
    if (equals == TextView::npos) {
      if (warn) warn->strayLine(line);
      continue;
    }
    const TextView key = trimSpacesView(line.substr(0, equals));
    const TextView value = trimSpacesView(line.substr(equals + 1));
    if (section == wording::HeaderSectionName) {
      const bool subtitle = key == wording::SubtitleKey;
      const bool company = !subtitle && key == wording::CompanyKey;
      if (subtitle) {
        chart.subtitle.assign(value);
      } else if (company) {
        chart.company.assign(value);
      }
      if (warn)
        warn->keywordSectionKey(section, key, value, subtitle || company);
      continue;
    }
    if (section == wording::SummarySectionName) {
      const bool text = key == wording::SummaryKey;
      if (text) chart.summary.assign(value);
      if (warn) warn->keywordSectionKey(section, key, value, text);
      continue;
    }
    if (section.empty()) {
      if (warn) warn->keyWithoutSection(key);
      continue;
    }
    if (key == ItemidKey) {
      current = chart.itemcount++;
      startItem(chart.items[current], static_cast<int32_t>(parseInteger(value)),
                section);
      if (sectionIndex >= 0) ++chart.sections[sectionIndex].itemcount;
      if (warn) warn->itemStarted(chart, current, section, value);
      continue;
    }
    if (current < 0) {
      if (warn) warn->keyWithoutItem(key);
      continue;
    }
    FlowItem& item = chart.items[current];
    if (key == FromidKey) {
      setParents(item, value);
    } else if (key == ImageKey) {
      item.image.assign(value);
    } else if (key == TitleKey) {
      item.title.assign(value);
    } else {
      const bool kept = item.contentcount < MaxContentPairs;
      addContentPair(chart, current, key, value);
      if (warn) warn->contentLine(chart, current, key, value, kept);
      continue;
    }
    if (warn) warn->itemKey(chart, current, key, value);
  }
}

}  // namespace

Status readDescription(Flowchart& chart, std::string_view bytes,
                       DiagnosticsSink* sink) {
  clearFlowchart(chart);
  try {
    std::unique_ptr<DescriptionWarnings> warnings;
    if (sink != nullptr)
      warnings = std::make_unique<DescriptionWarnings>(*sink);
    LineReader reader(bytes);
    reader.takeByteOrderMark();
    readLines(chart, reader, warnings.get());
    if (!reader.outOfMemory()) {
      if (warnings) warnings->finish(chart, reader);
      return Status();
    }
  } catch (const std::bad_alloc&) {
  }
  clearFlowchart(chart);
  return Status::outOfMemory();
}
