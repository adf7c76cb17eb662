#include "model/parser.h"

#include <memory>
#include <new>

#include "model/description_warnings.h"
#include "text/system_error.h"
#include "text/wording.h"

namespace {

// Fills the slot as a new item read under the given section name; nothing of
// an item that used the slot in an earlier parse survives.
void startItem(FlowItem& item, int32_t itemid, TextView sectionName) {
  item.itemid = itemid;
  item.fromid.clear();
  item.image.clear();
  item.title.clear();
  int32_t dot = findText(sectionName, u".");
  if (dot > 0) {
    item.grouppart = leftPart(sectionName, dot - 1);
    item.namepart = midPart(sectionName, dot + 1);
  } else {
    item.grouppart.clear();
    item.namepart = sectionName;
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
  size_t begin = 0;
  while (item.parentcount < MaxParents) {
    size_t comma = value.find(u',', begin);
    TextView field = value.substr(
        begin, comma == TextView::npos ? TextView::npos : comma - begin);
    item.parents[item.parentcount++] =
        static_cast<int32_t>(parseInteger(trimSpacesView(field)));
    if (comma == TextView::npos) break;
    begin = comma + 1;
  }
}

// The reading loop of readDescription; may run out of memory. warn, when
// given, hears of every decision; it never changes what is read.
void readLines(Flowchart& chart, FileHandle file, DescriptionWarnings* warn) {
  Text section;
  int32_t current = -1;  // slot of the current item, -1 before the first
  Text raw;              // one line as read; the views below point into it
  while (!atEnd(file) && chart.itemcount < MaxItems) {
    readLineInto(file, raw);
    if (warn) warn->startLine(raw, lastLineWasUtf8(file));
    const TextView line = trimSpacesView(raw);
    if (line.empty() || line[0] == u'#' || line[0] == u';') continue;
    if (line.front() == u'[' && line.back() == u']') {
      section = midPart(line, 2, textLength(line) - 2);
      if (section != wording::HeaderSectionName &&
          section != wording::SummarySectionName) {
        int32_t listed = findSection(chart, section);
        const bool added = listed < 0;
        if (added) listed = addSection(chart, section);
        if (warn) warn->sectionLine(section, listed, added && listed >= 0);
      }
      continue;
    }
    int32_t pos = findText(line, u"=");
    if (pos == 0) {
      if (warn) warn->strayLine(line);
      continue;
    }
    const TextView key = trimSpacesView(line.substr(0, pos - 1));
    const TextView value = trimSpacesView(line.substr(pos));
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
      if (warn) warn->keyWithoutSection(key, value);
      continue;
    }
    if (key == u"itemid") {
      current = chart.itemcount++;
      startItem(chart.items[current], static_cast<int32_t>(parseInteger(value)),
                section);
      int32_t s = findSection(chart, section);
      if (s >= 0) ++chart.sections[s].itemcount;
      if (warn) warn->itemStarted(chart, current, section, value);
      continue;
    }
    if (current < 0) {
      if (warn) warn->keyWithoutItem(key);
      continue;
    }
    FlowItem& item = chart.items[current];
    if (key == u"fromid") {
      setParents(item, value);
    } else if (key == u"image") {
      item.image.assign(value);
    } else if (key == u"title") {
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

int32_t readDescription(Flowchart& chart, FileHandle file, TextView name,
                        Reporter& reporter, DiagnosticsSink* sink) {
  clearFlowchart(chart);
  Text failure;
  try {
    std::unique_ptr<DescriptionWarnings> warnings;
    if (sink != nullptr)
      warnings = std::make_unique<DescriptionWarnings>(*sink);
    readLines(chart, file, warnings.get());
    failure = Text(readFailure(file));
    if (warnings && failure.empty()) warnings->finish(chart, file);
  } catch (const std::bad_alloc&) {
    failure = outOfMemoryReason();
  }
  closeFile(file);
  if (failure.empty()) return 1;
  clearFlowchart(chart);
  reporter.reportError(wording::OpenFailureCaption, name, failure);
  return 0;
}

int32_t parseDescription(Flowchart& chart, TextView path, Reporter& reporter,
                         DiagnosticsSink* sink) {
  clearFlowchart(chart);
  Text reason;
  FileHandle file = openForReading(path, &reason);
  if (file == nullptr) {
    reporter.reportError(wording::OpenFailureCaption, path, reason);
    return 0;
  }
  return readDescription(chart, file, path, reporter, sink);
}
