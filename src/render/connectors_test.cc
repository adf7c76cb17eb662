#include "render/connectors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/layout.h"
#include "render/render_test_support.h"

namespace {

using Lines = std::vector<std::string>;

class ConnectorsTest : public testing::Test {
 protected:
};

Lines connectorLines(const Flowchart& chart) {
  return captureLines([&](LineBuffer& file) { writeConnectors(chart, file); });
}

// The path data and stroke colour of every connector, in writing order.
Lines pathsAndColours(const Flowchart& chart) {
  Lines result;
  for (const std::string& line : connectorLines(chart)) {
    for (const char* attribute : {" d=\"", " stroke=\""}) {
      size_t at = line.find(attribute);
      if (at == std::string::npos) continue;
      at += std::string(attribute).size();
      result.push_back(line.substr(at, line.find('"', at) - at));
    }
  }
  return result;
}

TEST_F(ConnectorsTest, PaletteHoldsEightColoursInOrder) {
  const Lines expected = {"#3b82f6", "#06b6d4", "#8b5cf6", "#ec4899",
                          "#f59e0b", "#10b981", "#ef4444", "#6366f1"};
  Lines actual;
  for (std::string_view colour : ConnectorPalette) actual.emplace_back(colour);
  EXPECT_EQ(actual, expected);
}

TEST_F(ConnectorsTest, ColourIsPickedByColumnsAndBands) {
  const struct {
    int32_t a, b;
    const char* colour;
  } cases[] = {
      {0, 0, "#3b82f6"}, {1, 0, "#ec4899"}, {0, 1, "#10b981"},
      {2, 3, "#10b981"}, {2, 2, "#3b82f6"}, {4, 2, "#ef4444"},
      {1, 1, "#3b82f6"}, {7, 0, "#10b981"}, {200, 40, "#3b82f6"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(connectorColour(c.a, c.b), c.colour) << c.a << ", " << c.b;
  }
}

TEST_F(ConnectorsTest, ParentInTheBandAboveIsJoinedStraightDown) {
  auto chart = newChart();
  readChart(*chart, "[A.a]\nitemid = 1\n[B.b]\nitemid = 2\nfromid = 1\n");
  layoutFlowchart(*chart);
  const Lines expected = {
      "<!-- Connectors -->",
      R"L(  <path d="M 295 250 C 295 270,295 290,295 310" )L",
      R"L(        stroke="#10b981" stroke-width="2" )L",
      R"L(        fill="none" marker-end="url(#arrowhead)" />)L",
      "",
  };
  EXPECT_EQ(connectorLines(*chart), expected);
}

TEST_F(ConnectorsTest, PathsAndColoursForParentsAnywhere) {
  const struct {
    const char* name;
    std::string description;
    Lines paths;  // path data, colour, path data, colour, ...
  } cases[] = {
      {"ItemIsItsOwnParent",
       "[A.a]\nitemid = 1\nfromid = 1\n",
       {"M 295 250 C 295 210,295 170,295 130", "#3b82f6"}},
      {"ZeroNegativeAndUnknownIdsDrawNothing",
       "[A.a]\nitemid = 1\nfromid = 0, -3, 99, x,\n",
       {}},
      {"DuplicateIdsLeadToTheFirstItem",
       "[A.a]\nitemid = 5\nitemid = 5\nitemid = 6\nfromid = 5\n",
       {"M 295 250 C 295 210,805 170,805 130", "#ef4444"}},
      {"ThreeParentsInSlotOrder",
       "[A.a]\nitemid = 1\nitemid = 2\nitemid = 3\n[B.b]\nitemid = 4\n"
       "fromid = 3, 1, 2\n",
       {"M 805 250 C 805 270,295 290,295 310", "#ec4899",
        "M 295 250 C 295 270,295 290,295 310", "#10b981",
        "M 550 250 C 550 270,295 290,295 310", "#3b82f6"}},
      {"UnplacedChildUsesItsZeroPosition",
       "[A.a]\nitemid = 1\n[Plain]\nitemid = 2\nfromid = 1\n",
       {"M 295 250 C 295 167,110 84,110 0", "#3b82f6"}},
      {"UnplacedParentUsesItsZeroPosition",
       "[Plain]\nitemid = 1\n[A.a]\nitemid = 2\nfromid = 1\n",
       {"M 110 0 C 110 63,295 126,295 190", "#10b981"}},
      {"ChildrenBeforeTheirParentsStillConnect",
       "[A.a]\nitemid = 2\nfromid = 1\n[B.b]\nitemid = 1\n",
       {"M 295 430 C 295 330,295 230,295 130", "#10b981"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto chart = newChart();
    readChart(*chart, c.description);
    layoutFlowchart(*chart);
    EXPECT_EQ(pathsAndColours(*chart), c.paths);
  }
}

TEST_F(ConnectorsTest, UpwardCurveDividesTowardZero) {
  // dy = -100: the control points stand 33 and 66 above the start.
  auto chart = newChart();
  placeItem(*chart, 1, 185, 300, 120, 1, 2);
  placeItem(*chart, 2, 440, 320, 120, 2, 1);
  chart->items[1].parentcount = 1;
  chart->items[1].parents[0] = 1;
  EXPECT_EQ(pathsAndColours(*chart),
            (Lines{"M 295 420 C 295 387,550 354,550 320", "#3b82f6"}));
}

TEST_F(ConnectorsTest, NoItemsGiveTheCommentAndAnEmptyLine) {
  auto chart = newChart();
  EXPECT_EQ(connectorLines(*chart), (Lines{"<!-- Connectors -->", ""}));
}

// The summary lines as (offset of the baseline from the panel's top, text).
using Shown = std::vector<std::pair<int, std::string>>;

Shown summaryLines(const std::string& summary) {
  auto chart = newChart();
  readChart(*chart, "[Summary]\ntext = " + summary + "\n");
  CanvasSize canvas = layoutFlowchart(*chart);
  int top = canvas.yend + 15;
  Lines lines = captureLines(
      [&](LineBuffer& file) { writeSummaryPanel(*chart, canvas, file); });
  Shown shown;
  for (size_t i = 7; i + 1 < lines.size(); i += 2) {
    const std::string& t1 = lines[i];
    const std::string& t2 = lines[i + 1];
    if (t1.rfind(R"L(  <text x="55" y=")L", 0) != 0) break;
    int y = std::stoi(t1.substr(t1.find("y=\"") + 3));
    std::string prefix = R"L(        class="summary-content">)L";
    EXPECT_EQ(t2.rfind(prefix, 0), 0u) << t2;
    EXPECT_EQ(t2.substr(t2.size() - 7), "</text>");
    shown.push_back(
        {y - top, t2.substr(prefix.size(), t2.size() - prefix.size() - 7)});
  }
  return shown;
}

TEST_F(ConnectorsTest, SummaryIsSplitIntoAtMostSixLines) {
  const std::string hundred(100, 'h');
  const std::string ninety(90, 'n');
  const struct {
    std::string summary;
    Shown shown;
  } cases[] = {
      {"", {}},
      {"First step|Second step\\nThird step",
       {{48, "First step"}, {66, "Second step"}, {84, "Third step"}}},
      {"a||b", {{48, "a"}, {66, "b"}}},
      {"|a", {{48, "a"}}},
      {"1|2|3|4|5|6|7|8",
       {{48, "1"}, {66, "2"}, {84, "3"}, {102, "4"}, {120, "5"}, {138, "6"}}},
      {"||||||seven", {}},
      {hundred, {{48, std::string(87, 'h') + "..."}}},
      // A character above U+FFFF counts as two units and is never halved.
      {std::string(86, 'h') + "\xF0\x9F\x98\x80" + ninety,
       {{48, std::string(86, 'h') + "..."}}},
      {std::string(85, 'h') + "\xF0\x9F\x98\x80" + ninety,
       {{48, std::string(85, 'h') + "\xF0\x9F\x98\x80..."}}},
      {ninety, {{48, ninety}}},
      {"  spaced  |x & y", {{48, "spaced"}, {66, "x &amp; y"}}},
      {"back\\slash\\ n", {{48, "back\\slash\\ n"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.summary);
    EXPECT_EQ(summaryLines(c.summary), c.shown);
  }
}

TEST_F(ConnectorsTest, SummaryPanelSpansTheCanvasBelowTheLastBand) {
  auto chart = newChart();
  readChart(*chart, "[A.a]\nitemid = 1\nitemid = 2\n[Summary]\ntext = Done\n");
  CanvasSize canvas = layoutFlowchart(*chart);
  const Lines expected = {
      "<!-- Summary panel -->",
      "<g>",
      R"L(  <rect x="40" y="325" )L",
      R"L(        width="655" height="100" )L",
      R"L(        fill="#fef3c7" stroke="#f59e0b" stroke-width="1" rx="6" />)L",
      R"L(  <text x="55" y="350" )L",
      R"L(        class="summary-title">Summary</text>)L",
      R"L(  <text x="55" y="373" )L",
      R"L(        class="summary-content">Done</text>)L",
      "</g>",
      "",
  };
  EXPECT_EQ(captureLines([&](LineBuffer& file) {
              writeSummaryPanel(*chart, canvas, file);
            }),
            expected);
}

}  // namespace
