#include "render/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/render_test_support.h"

namespace {

struct Band {
  int32_t top;
  int32_t height;
};

struct Box {
  int32_t x, y, column, sectionno, height;
};

struct LayoutCase {
  const char* name;
  std::string description;
  CanvasSize canvas;
  std::vector<Band> bands;
  std::vector<Box> boxes;  // one per item, in item order
};

std::string items(const std::string& section, int first, int count) {
  std::string text = "[" + section + "]\n";
  for (int i = 0; i < count; ++i) {
    text += "itemid = " + std::to_string(first + i) + "\n";
  }
  return text;
}

std::string twentySectionsThenOneMore() {
  std::string text;
  for (int s = 1; s <= 20; ++s) text += "[Full." + std::to_string(s) + "]\n";
  return text + items("Full.21", 1, 1);
}

std::vector<Band> emptyBands(int count) {
  std::vector<Band> bands;
  for (int b = 0; b < count; ++b) bands.push_back({130 + 60 * b, 0});
  return bands;
}

const LayoutCase kCases[] = {
    {"NoSections", "", {225, 290, 130}, {}, {}},
    {"OneItemWithoutContent",
     items("A.a", 1, 1),
     {480, 470, 310},
     {{130, 120}},
     {{185, 130, 1, 1, 120}}},
    {"ThreeItemsWithTwoSevenAndNoPairs",
     "[A.a]\nitemid = 1\nk=1\nk=2\nitemid = 2\nk=1\nk=2\nk=3\nk=4\nk=5\n"
     "k=6\nk=7\nitemid = 3\n",
     {990, 512, 352},
     {{130, 162}},
     {{185, 130, 1, 1, 120}, {440, 130, 2, 1, 162}, {695, 130, 3, 1, 120}}},
    {"InterleavedSections",
     "[A.x]\nitemid = 1\n[B.y]\nitemid = 2\n[A.x]\nitemid = 3\n"
     "[B.y]\nitemid = 4\nk=1\nk=2\nk=3\nk=4\nk=5\n",
     {735, 660, 500},
     {{130, 120}, {310, 130}},
     {{185, 130, 1, 1, 120},
      {185, 310, 1, 2, 120},
      {440, 130, 2, 1, 120},
      {440, 310, 2, 2, 130}}},
    {"SectionWithoutDotIsCountedButNotPlaced",
     items("Plain", 1, 2),
     {735, 350, 190},
     {{130, 0}},
     {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}},
    {"NameWithoutDotLandsInTheBandNamedDotName",
     items(".P", 1, 1) + items("P", 2, 1),
     {480, 530, 370},
     {{130, 120}, {310, 0}},
     {{185, 130, 1, 1, 120}, {440, 130, 2, 1, 120}}},
    {"FurtherDotsBelongToTheName",
     items("A.b.c", 1, 1),
     {480, 470, 310},
     {{130, 120}},
     {{185, 130, 1, 1, 120}}},
    {"EmptySectionShiftsTheNextBand",
     "[A.a]\n" + items("B.b", 1, 1),
     {480, 530, 370},
     {{130, 0}, {190, 120}},
     {{185, 190, 1, 2, 120}}},
    {"WidestBandSetsTheWidth",
     items("A.a", 1, 1) + items("B.b", 2, 3),
     {990, 650, 490},
     {{130, 120}, {310, 120}},
     {{185, 130, 1, 1, 120},
      {185, 310, 1, 2, 120},
      {440, 310, 2, 2, 120},
      {695, 310, 3, 2, 120}}},
    {"UnlistedTwentyFirstSection",
     twentySectionsThenOneMore(),
     {225, 1490, 1330},
     emptyBands(20),
     {{0, 0, 0, 0, 0}}},
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class LayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, PlacesBandsAndBoxes) {
  const LayoutCase& c = GetParam();
  auto chart = newChart();
  readChart(*chart, c.description);
  CanvasSize canvas = layoutFlowchart(*chart);
  EXPECT_EQ(canvas.width, c.canvas.width);
  EXPECT_EQ(canvas.height, c.canvas.height);
  EXPECT_EQ(canvas.yend, c.canvas.yend);
  ASSERT_EQ(chart->sectioncount, static_cast<int32_t>(c.bands.size()));
  for (size_t b = 0; b < c.bands.size(); ++b) {
    SCOPED_TRACE("band " + std::to_string(b));
    EXPECT_EQ(chart->sections[b].top, c.bands[b].top);
    EXPECT_EQ(chart->sections[b].height, c.bands[b].height);
  }
  ASSERT_EQ(chart->itemcount, static_cast<int32_t>(c.boxes.size()));
  for (size_t i = 0; i < c.boxes.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    const FlowItem& item = chart->items[i];
    EXPECT_EQ(item.x, c.boxes[i].x);
    EXPECT_EQ(item.y, c.boxes[i].y);
    EXPECT_EQ(item.column, c.boxes[i].column);
    EXPECT_EQ(item.sectionno, c.boxes[i].sectionno);
    EXPECT_EQ(item.height, c.boxes[i].height);
    EXPECT_EQ(item.width, ItemWidth);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LayoutCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(BoxHeightTest, GrowsWithContentPairsFromAMinimumOf120) {
  const struct {
    int32_t pairs;
    int32_t height;
  } cases[] = {{0, 120}, {4, 120}, {5, 130}, {7, 162}, {15, 290}};
  auto chart = newChart();
  chart->itemcount = 1;
  for (const auto& c : cases) {
    chart->items[0].contentcount = c.pairs;
    EXPECT_EQ(boxHeight(*chart, 0), c.height) << c.pairs << " pairs";
  }
}

TEST(LayoutRepeatTest, SecondRunGivesTheSameNumbers) {
  auto chart = newChart();
  readChart(*chart, items("A.a", 1, 2) + items("B.b", 3, 1));
  CanvasSize first = layoutFlowchart(*chart);
  FlowItem before = chart->items[2];
  CanvasSize second = layoutFlowchart(*chart);
  EXPECT_EQ(first.width, second.width);
  EXPECT_EQ(first.height, second.height);
  EXPECT_EQ(first.yend, second.yend);
  EXPECT_EQ(chart->items[2].x, before.x);
  EXPECT_EQ(chart->items[2].column, before.column);
}

}  // namespace
