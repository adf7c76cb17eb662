#include "render/item_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/layout.h"
#include "render/render_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// The lines of the box of the first item of the description, laid out.
Lines boxLines(const std::string& description) {
  auto chart = newChart();
  readChart(*chart, description);
  layoutFlowchart(*chart);
  return captureLines([&](LineBuffer& file) { writeItemBox(*chart, 0, file); });
}

// The shown key and value of every content line of the box.
Lines contentTexts(const Lines& box) {
  Lines texts;
  for (const std::string& line : box) {
    if (line.rfind("    <tspan", 0) == 0) {
      size_t open = line.find('>') + 1;
      texts.push_back(line.substr(open, line.rfind("</tspan>") - open));
    }
  }
  return texts;
}

TEST(ItemBoxTest, BoxWithoutContentHasOnlyItsTitleBar) {
  const Lines expected = {
      R"L(<g id="node-11" filter="url(#shadow)">)L",
      R"L(  <rect x="185" y="130" )L",
      R"L(        width="220" height="120" )L",
      R"L(        fill="#ffffff" stroke="#10b981" )L",
      R"L(        stroke-width="2" rx="8" />)L",
      R"L(  <rect x="186" y="131" )L",
      R"L(        width="218" height="28" )L",
      R"L(        fill="url(#headerGrad)" rx="7" />)L",
      R"L(  <text x="200" y="150" )L",
      R"L(        class="node-title" fill="#ffffff">Order &amp; pay</text>)L",
      "</g>",
      "",
  };
  EXPECT_EQ(boxLines("[A.a]\nitemid = 11\ntitle = Order & pay\n"), expected);
}

TEST(ItemBoxTest, IdsAreWrittenInFullInEveryRange) {
  const struct {
    const char* itemid;
    const char* groupId;
  } cases[] = {
      {"0", "node-0"},
      {"9", "node-9"},
      {"10", "node-10"},
      {"99999", "node-99999"},
      {"100000", "node-100000"},
      {"1000000000", "node-1000000000"},
      {"2147483647", "node-2147483647"},
      {"-1", "node--1"},
      {"-2147483648", "node--2147483648"},
      {"4294967295", "node--1"},  // kept as its low 32 bits
  };
  for (const auto& c : cases) {
    Lines box = boxLines(std::string("[A.a]\nitemid = ") + c.itemid + "\n");
    ASSERT_FALSE(box.empty());
    EXPECT_EQ(box[0], std::string("<g id=\"") + c.groupId +
                          "\" filter=\"url(#shadow)\">");
  }
}

TEST(ItemBoxTest, ContentLinesStandSixteenApart) {
  const Lines expected = {
      R"L(<g id="node--5" filter="url(#shadow)">)L",
      R"L(  <rect x="440" y="130" )L",
      R"L(        width="220" height="120" )L",
      R"L(        fill="#ffffff" stroke="#10b981" )L",
      R"L(        stroke-width="2" rx="8" />)L",
      R"L(  <rect x="441" y="131" )L",
      R"L(        width="218" height="28" )L",
      R"L(        fill="url(#headerGrad)" rx="7" />)L",
      R"L(  <text x="455" y="150" )L",
      R"L(        class="node-title" fill="#ffffff"></text>)L",
      R"L(  <text x="450" y="172">)L",
      R"L(    <tspan class="node-content-key">R&amp;D:</tspan>)L",
      R"L(    <tspan class="node-content-value" dx="3">a&lt;b</tspan>)L",
      "  </text>",
      R"L(  <text x="450" y="188">)L",
      R"L(    <tspan class="node-content-key">:</tspan>)L",
      R"L(    <tspan class="node-content-value" dx="3"></tspan>)L",
      "  </text>",
      "</g>",
      "",
  };
  auto chart = newChart();
  readChart(*chart, "[A.a]\nitemid = 1\nitemid = -5\nR&D = a<b\n=\n");
  layoutFlowchart(*chart);
  EXPECT_EQ(
      captureLines([&](LineBuffer& file) { writeItemBox(*chart, 1, file); }),
      expected);
}

TEST(ItemBoxTest, FifteenPairsAllGetTheirLine) {
  std::string description = "[A.a]\nitemid = 1\n";
  for (int k = 0; k < 15; ++k) description += "k = " + std::to_string(k) + "\n";
  Lines box = boxLines(description);
  EXPECT_EQ(box[2], R"L(        width="220" height="290" )L");
  Lines baselines;
  for (const std::string& line : box) {
    if (line.rfind(R"L(  <text x="195" y=")L", 0) == 0)
      baselines.push_back(line);
  }
  ASSERT_EQ(baselines.size(), 15u);
  EXPECT_EQ(baselines.front(), R"L(  <text x="195" y="172">)L");
  EXPECT_EQ(baselines.back(), R"L(  <text x="195" y="396">)L");  // 130 + 266
}

TEST(ItemBoxTest, LongContentValuesAreCut) {
  const struct {
    const char* line;
    const char* key;
    const char* value;
  } cases[] = {
      {"Owner = Finance department of the north region",
       "Owner:", "Finance department of the..."},
      {"Responsible = Accounts payable", "Responsible:", "Accounts payable"},
      {"Responsible unit = Accounts payable",
       "Responsible unit:", "Accounts payable..."},
      {"k = 12345678901234567890123456", "k:", "12345678901234567890123456"},
      {"k = 123456789012345678901234567", "k:", "1234567890123456789012345..."},
      {"A very long key that alone is too long = v",
       "A very long key that alone is too long:", "v..."},
      {"Who = R&D <west> & \"east\" 'office' wing",
       "Who:", "R&amp;D &lt;west&gt; &amp; &quot;east&quot; &apos;offi..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Lines texts = contentTexts(
        boxLines(std::string("[A.a]\nitemid = 1\n") + c.line + "\n"));
    EXPECT_EQ(texts, (Lines{c.key, c.value}));
  }
}

TEST(ItemBoxTest, CutNeverSplitsACharacterAboveUFFFF) {
  // A character outside the BMP counts as two code units: where the cut
  // after 25 would keep only its first half, it keeps one unit less.
  const struct {
    const char* value;
    const char* shown;
  } cases[] = {
      {"abcdefghijklmnopqrstuvwx\xF0\x9F\x98\x80yz",
       "abcdefghijklmnopqrstuvwx..."},
      {"abcdefghijklmnopqrstuvw\xF0\x9F\x98\x80yz",
       "abcdefghijklmnopqrstuvw\xF0\x9F\x98\x80..."},
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80x",
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Lines texts = contentTexts(
        boxLines(std::string("[A.a]\nitemid = 1\nk = ") + c.value + "\n"));
    EXPECT_EQ(texts, (Lines{"k:", c.shown}));
  }
}

TEST(ItemBoxTest, TitleIsWrittenWhole) {
  std::string title(60, 'T');
  Lines box = boxLines("[A.a]\nitemid = 1\ntitle = " + title + "\n");
  EXPECT_EQ(box[9], R"L(        class="node-title" fill="#ffffff">)L" + title +
                        "</text>");
}

TEST(ItemBoxTest, NoContentLineIsWrittenBelowAHandMadeBox) {
  // A box 60 high has room for one line: the second would stand at y + 58,
  // not above y + height - 10.
  auto chart = newChart();
  placeItem(*chart, 1, 0, 0, 60, 1, 1);
  addContentPair(*chart, 0, u"a", u"1");
  addContentPair(*chart, 0, u"b", u"2");
  Lines box =
      captureLines([&](LineBuffer& file) { writeItemBox(*chart, 0, file); });
  EXPECT_EQ(contentTexts(box), (Lines{"a:", "1"}));
}

}  // namespace
