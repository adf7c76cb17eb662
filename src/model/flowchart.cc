#include "model/flowchart.h"

void clearFlowchart(Flowchart& chart) {
  chart.subtitle.clear();
  chart.company.clear();
  chart.summary.clear();
  chart.itemcount = 0;
  chart.sectioncount = 0;
}

int32_t addSection(Flowchart& chart, const Text& name) {
  if (chart.sectioncount >= MaxSections) return -1;
  Section& section = chart.sections[chart.sectioncount];
  section.name = name;
  section.itemcount = 0;
  section.top = 0;
  section.height = 0;
  return chart.sectioncount++;
}

int32_t findSection(const Flowchart& chart, TextView name) {
  for (int32_t i = 0; i < chart.sectioncount; ++i) {
    if (chart.sections[i].name == name) return i;
  }
  return -1;
}

void addContentPair(Flowchart& chart, int32_t item, TextView key,
                    TextView value) {
  FlowItem& target = chart.items[item];
  if (target.contentcount >= MaxContentPairs) return;
  ContentPair& pair = target.content[target.contentcount++];
  pair.key.assign(key);  // reuses the slot's storage from an earlier parse
  pair.value.assign(value);
}
