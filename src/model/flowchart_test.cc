#include "model/flowchart.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(FlowchartTest, SectionListIsFixedAtTwenty) {
  auto chart = std::make_unique<Flowchart>();
  for (int i = 0; i < MaxSections; ++i) {
    EXPECT_EQ(addSection(*chart, u"s" + formatInteger(i)), i);
  }
  EXPECT_EQ(addSection(*chart, u"one too many"), -1);
  EXPECT_EQ(chart->sectioncount, MaxSections);
  EXPECT_EQ(findSection(*chart, u"one too many"), -1);
  EXPECT_EQ(chart->sections[MaxSections - 1].name, u"s19");
}

TEST(FlowchartTest, FindSectionIsExact) {
  auto chart = std::make_unique<Flowchart>();
  EXPECT_EQ(findSection(*chart, u""), -1);
  addSection(*chart, u"Flow.Main");
  addSection(*chart, u"");
  EXPECT_EQ(findSection(*chart, u"Flow.Main"), 0);
  EXPECT_EQ(findSection(*chart, u"flow.main"), -1);
  EXPECT_EQ(findSection(*chart, u"Flow.Main "), -1);
  EXPECT_EQ(findSection(*chart, u""), 1);
}

TEST(FlowchartTest, AddSectionResetsReusedSlot) {
  auto chart = std::make_unique<Flowchart>();
  addSection(*chart, u"a");
  chart->sections[0].itemcount = 7;
  chart->sections[0].height = 120;
  clearFlowchart(*chart);
  EXPECT_EQ(addSection(*chart, u"b"), 0);
  EXPECT_EQ(chart->sections[0].itemcount, 0);
  EXPECT_EQ(chart->sections[0].height, 0);
}

TEST(FlowchartTest, ContentPairsStopAtFifteen) {
  auto chart = std::make_unique<Flowchart>();
  chart->itemcount = 1;
  for (int i = 0; i < MaxContentPairs + 3; ++i) {
    addContentPair(*chart, 0, u"k" + formatInteger(i), u"v");
  }
  const FlowItem& item = chart->items[0];
  EXPECT_EQ(item.contentcount, MaxContentPairs);
  for (int i = 0; i < MaxContentPairs; ++i) {
    EXPECT_EQ(item.content[i].key, u"k" + formatInteger(i));
  }
}

}  // namespace
