#include "render/svg_document.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "render/connectors.h"
#include "files/description_files.h"
#include "render/render_test_support.h"
#include "platform/paths.h"
#include "base/utf8.h"

namespace {

using Lines = std::vector<std::string>;

const Timestamp kFixedTime = timestampFromFields(2025, 1, 2, 3, 4, 5);

class SvgDocumentTest : public testing::Test {
 protected:

  Lines documentLines(const std::string& description) {
    auto chart = newChart();
    readChart(*chart, description);
    return captureLines(
        [&](LineBuffer& file) { writeSvg(*chart, file, kFixedTime); });
  }
};

// The lines from the first one equal to first up to and including the first
// empty line after it.
Lines block(const Lines& lines, const std::string& first) {
  Lines result;
  bool inside = false;
  for (const std::string& line : lines) {
    if (line == first) inside = true;
    if (!inside) continue;
    result.push_back(line);
    if (line.empty()) break;
  }
  return result;
}

TEST_F(SvgDocumentTest, EmptyDescriptionGivesTheWholeFrame) {
  const Lines expected = {
      R"L(<?xml version="1.0" encoding="UTF-8"?>)L",
      R"L(<svg xmlns="http://www.w3.org/2000/svg" )L",
      R"L(     width="225" height="290" )L",
      R"L(     viewBox="0 0 225 290">)L",
      "",
      "<!-- Flowchart SVG Generator - drawn from a text description -->",
      "<!-- Generated: 2025-01-02 03:04:05 -->",
      "",
      "<defs>",
      R"L(  <linearGradient id="headerGrad" x1="0%" y1="0%" x2="100%" y2="0%">)L",
      R"L(    <stop offset="0%" style="stop-color:#10b981;stop-opacity:1" />)L",
      R"L(    <stop offset="100%" style="stop-color:#06acac;stop-opacity:1" />)L",
      "  </linearGradient>",
      R"L(  <filter id="shadow">)L",
      R"L(    <feGaussianBlur in="SourceAlpha" stdDeviation="3"/>)L",
      R"L(    <feOffset dx="2" dy="2" result="offsetBlur"/>)L",
      "    <feComponentTransfer>",
      R"L(      <feFuncA type="linear" slope="0.1"/>)L",
      "    </feComponentTransfer>",
      "    <feMerge>",
      "      <feMergeNode/>",
      R"L(      <feMergeNode in="SourceGraphic"/>)L",
      "    </feMerge>",
      "  </filter>",
      R"L(  <marker id="arrowhead" markerWidth="12" markerHeight="8" refX="11" refY="4" orient="auto">)L",
      R"L(    <polygon points="0 0, 12 4, 0 8" fill="#3b82f6" />)L",
      "  </marker>",
      "  <style>",
      "    .title { font-family: 'Microsoft YaHei', Arial, sans-serif; "
      "font-size: 22px; font-weight: bold; fill: #0f172a; }",
      "    .subtitle { font-family: 'Microsoft YaHei', Arial, sans-serif; "
      "font-size: 15px; fill: #475569; }",
      "    .company { font-family: 'Microsoft YaHei', Arial, sans-serif; "
      "font-size: 13px; fill: #64748b; }",
      "    .section-label { font-family: 'Microsoft YaHei', Arial, "
      "sans-serif; font-size: 13px; font-weight: bold; fill: #1e40af; }",
      "    .node-title { font-family: 'Microsoft YaHei', Arial, sans-serif; "
      "font-size: 14px; font-weight: bold; fill: #0f172a; }",
      "    .node-content-key { font-family: 'Microsoft YaHei', Arial, "
      "sans-serif; font-size: 11px; font-weight: bold; fill: #059669; }",
      "    .node-content-value { font-family: 'Microsoft YaHei', Arial, "
      "sans-serif; font-size: 11px; fill: #374151; }",
      "    .summary-title { font-family: 'Microsoft YaHei', Arial, "
      "sans-serif; font-size: 15px; font-weight: bold; fill: #b45309; }",
      "    .summary-content { font-family: 'Microsoft YaHei', Arial, "
      "sans-serif; font-size: 12px; fill: #78350f; }",
      "  </style>",
      "</defs>",
      "",
      R"L(<rect x="0" y="0" width="225" height="290" fill="#f8fafc" />)L",
      "",
      "<!-- Header -->",
      R"L(<text x="112" y="38" class="title" text-anchor="middle">Process Flowchart</text>)L",
      "",
      "<!-- Section bands -->",
      "<!-- Connectors -->",
      "",
      "<!-- Summary panel -->",
      "<g>",
      R"L(  <rect x="40" y="145" )L",
      R"L(        width="145" height="100" )L",
      R"L(        fill="#fef3c7" stroke="#f59e0b" stroke-width="1" rx="6" />)L",
      R"L(  <text x="55" y="170" )L",
      R"L(        class="summary-title">Summary</text>)L",
      "</g>",
      "",
      "</svg>",
  };
  auto chart = newChart();
  std::string bytes =
      capture([&](LineBuffer& file) { writeSvg(*chart, file, kFixedTime); });
  EXPECT_EQ(crlfLines(bytes), expected);
#ifndef _WIN32  // xmllint runs on Linux; flowsvg_test.sh checks .exe drawings
  EXPECT_TRUE(wellFormedXml(bytes));
#endif
}

TEST_F(SvgDocumentTest, DocumentIsUtf8WithoutMarkAndEndsWithCrLf) {
  auto chart = newChart();
  readChart(*chart, "[Header]\nsubtitle = Caf\xC3\xA9\n");
  std::string bytes =
      capture([&](LineBuffer& file) { writeSvg(*chart, file, kFixedTime); });
  EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "</svg>\r\n");
  EXPECT_NE(bytes.find(">Caf\xC3\xA9</text>\r\n"), std::string::npos);
  for (const std::string& line : crlfLines(bytes)) {
    EXPECT_NE(line, "<missing or bad line end>");
  }
#ifndef _WIN32  // xmllint runs on Linux; flowsvg_test.sh checks .exe drawings
  EXPECT_TRUE(wellFormedXml(bytes));
#endif
}

TEST_F(SvgDocumentTest, HeaderLinesAppearOnlyForNonEmptyTexts) {
  const struct {
    const char* description;
    Lines header;
  } cases[] = {
      {"",
       {"<!-- Header -->",
        R"L(<text x="112" y="38" class="title" text-anchor="middle">Process Flowchart</text>)L",
        ""}},
      {"[Header]\nsubtitle = R&D <2024>\ncompany = O'Neil \"Ltd\"\n",
       {"<!-- Header -->",
        R"L(<text x="112" y="38" class="title" text-anchor="middle">Process Flowchart</text>)L",
        R"L(<text x="112" y="60" class="subtitle" text-anchor="middle">R&amp;D &lt;2024&gt;</text>)L",
        R"L(<text x="112" y="78" class="company" text-anchor="middle">O&apos;Neil &quot;Ltd&quot;</text>)L",
        ""}},
      {"[Header]\ncompany = &amp;\n[A.a]\nitemid = 1\n",
       {"<!-- Header -->",
        R"L(<text x="240" y="38" class="title" text-anchor="middle">Process Flowchart</text>)L",
        R"L(<text x="240" y="78" class="company" text-anchor="middle">&amp;amp;</text>)L",
        ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    EXPECT_EQ(block(documentLines(c.description), "<!-- Header -->"), c.header);
  }
}

TEST_F(SvgDocumentTest, EachBandIsFollowedByItsBoxes) {
  Lines lines =
      documentLines("[Empty.band]\n[Tom's.steps]\nitemid = 7\n[Empty.band]\n");
  const Lines emptyBand = {
      R"L(<g class="section">)L",
      R"L(  <rect x="40" y="130" )L",
      R"L(        width="110" height="0" )L",
      R"L(        fill="#dbeafe" rx="6" />)L",
      R"L(  <text x="95" )L",
      R"L(        y="135" )L",
      R"L(        class="section-label" text-anchor="middle">Empty.band</text>)L",
      "</g>",
      "",
  };
  const Lines fullBand = {
      R"L(<g class="section">)L",
      R"L(  <rect x="40" y="190" )L",
      R"L(        width="110" height="120" )L",
      R"L(        fill="#dbeafe" rx="6" />)L",
      R"L(  <text x="95" )L",
      R"L(        y="255" )L",
      R"L(        class="section-label" text-anchor="middle">Tom&apos;s.steps</text>)L",
      "</g>",
      "",
  };
  Lines expected = {"<!-- Section bands -->"};
  expected.insert(expected.end(), emptyBand.begin(), emptyBand.end());
  expected.insert(expected.end(), fullBand.begin(), fullBand.end());
  expected.push_back(R"L(<g id="node-7" filter="url(#shadow)">)L");
  auto at = std::find(lines.begin(), lines.end(), "<!-- Section bands -->");
  ASSERT_NE(at, lines.end());
  ASSERT_GE(lines.end() - at, static_cast<long>(expected.size()));
  EXPECT_EQ(Lines(at, at + static_cast<long>(expected.size())), expected);
}

// The accessible drawing: the root's role and label, then the title and the
// reading, escaped, right after the root; every other line as without it.
TEST_F(SvgDocumentTest, AccessibleDrawingSaysItselfAsTextAndAddsNothingElse) {
  const std::string description =
      "[Header]\nsubtitle = R&D <plan>\n"
      "[A.First]\nitemid = 1\ntitle = Start\nitemid = 2\nfromid = 1\n"
      "[A.Empty]\n"
      "[B.Second]\nitemid = 3\ntitle = \"End\"\nfromid = 1, 2, 9\n";
  auto chart = newChart();
  readChart(*chart, description);
  const Lines accessible = captureLines(
      [&](LineBuffer& file) { writeSvg(*chart, file, kFixedTime, true); });
  const Lines plain = documentLines(description);
  ASSERT_GT(accessible.size(), 13u);
  const Lines head(accessible.begin() + 3, accessible.begin() + 13);
  const Lines expected = {
      R"L(     viewBox="0 0 735 710" role="img" aria-labelledby="flowchart-title flowchart-desc">)L",
      R"L(<title id="flowchart-title">Process Flowchart: R&amp;D &lt;plan&gt;</title>)L",
      R"L(<desc id="flowchart-desc">)L",
      "Band A.First: Start, box 2.",
      "Band A.Empty: no steps.",
      "Band B.Second: &quot;End&quot;.",
      "Arrow: Start \u2192 box 2.",
      "Arrow: Start \u2192 &quot;End&quot;.",
      "Arrow: box 2 \u2192 &quot;End&quot;.",
      "</desc>",
  };
  EXPECT_EQ(head, expected);
  Lines stripped;
  for (size_t k = 0; k < accessible.size(); ++k) {
    if (k == 3) {
      stripped.push_back(R"L(     viewBox="0 0 735 710">)L");
    } else if (k < 4 || k > 12) {
      stripped.push_back(accessible[k]);
    }
  }
  EXPECT_EQ(stripped, plain);
}

// What the document writer puts into a line for text: escaped, as UTF-8.
std::string escapedUtf8(TextView text) {
  std::string bytes(MaxEscapedBytesPerUnit * text.size() + 2, '\0');
  bytes.resize(escapeXmlUtf8Into(text, bytes.data()));
  return bytes;
}

TEST(EscapeXmlTest, ReplacesMarkupCharactersAndForbiddenOnes) {
  const struct {
    Text input;
    Text output;
  } cases[] = {
      {u"", u""},
      {u"plain text", u"plain text"},
      {u"R&D <2024>", u"R&amp;D &lt;2024&gt;"},
      {u"&lt;", u"&amp;lt;"},
      {u"&amp;", u"&amp;amp;"},
      {u"say \"hi\" it's", u"say &quot;hi&quot; it&apos;s"},
      {u"a\u0001b\u0008c\u000Bd\u000Ce\u000Ef\u001Fg",
       u"a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFDf\uFFFDg"},
      {u"x\uFFFEy\uFFFFz", u"x\uFFFDy\uFFFDz"},
      {u"tab\tlf\ncr\r", u"tab\tlf\ncr\r"},
      {u"\u00E9\U0001F600\uFFFD", u"\u00E9\U0001F600\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(escapeXml(c.input), c.output) << utf8(c.input);
    // The UTF-8 form the document writer uses gives the same bytes that
    // writing the escaped text would.
    EXPECT_EQ(escapedUtf8(c.input), encodeUtf8(c.output)) << utf8(c.input);
  }
  // Lone surrogate halves, as a cut value can leave, become U+FFFD in both.
  const Text halves = {u'a', char16_t(0xD83D), u'<', char16_t(0xDE00)};
  const std::string bytes = escapedUtf8(halves);
  EXPECT_EQ(bytes, encodeUtf8(escapeXml(halves)));
  EXPECT_EQ(bytes, "a\xEF\xBF\xBD&lt;\xEF\xBF\xBD");
}

class GenerateSvgTest : public SvgDocumentTest {
 protected:
  void SetUp() override {
    SvgDocumentTest::SetUp();
    ASSERT_FALSE(folder_.path().empty());
    chart_ = newChart();
    std::string description = "[Header]\nsubtitle = Big\n";
    for (int i = 1; i <= 30; ++i) {
      description += "[Part.one]\nitemid = " + std::to_string(i) +
                     "\nfromid = " + std::to_string(i - 1) +
                     "\ntitle = Step\nNote = some words to fill the box\n";
    }
    readChart(*chart_, description);
  }

  int32_t generate(const std::string& path) {
    return generateSvg(*chart_, textOfPath(path), reporter_).ok() ? 1 : 0;
  }

  TempFolder folder_;
  std::unique_ptr<Flowchart> chart_;
  RecordingReporter reporter_;
};

TEST_F(GenerateSvgTest, WritesTheDocumentWithTheCurrentTime) {
  std::string path = folder_.file("chart.svg");
  writeBytes(path, std::string(100000, 'x'));  // a longer earlier file
  ASSERT_EQ(generate(path), 1);
  EXPECT_TRUE(reporter_.messages.empty());
#ifndef _WIN32  // xmllint runs on Linux; flowsvg_test.sh checks .exe drawings
  EXPECT_TRUE(wellFormedXml(readBytes(path)));
#endif
  Lines written = crlfLines(readBytes(path));
  Lines expected =
      captureLines([&](LineBuffer& file) { writeSvg(*chart_, file, 0); });
  ASSERT_EQ(written.size(), expected.size());
  EXPECT_TRUE(std::regex_match(
      written[6], std::regex("<!-- Generated: \\d{4}-\\d\\d-\\d\\d "
                             "\\d\\d:\\d\\d:\\d\\d -->")))
      << written[6];
  written[6] = expected[6];
  EXPECT_EQ(written, expected);
  EXPECT_EQ(folderEntries(folder_.path()), Lines{"chart.svg"});
}

TEST_F(GenerateSvgTest, MissingFolderIsReportedAndNothingIsWritten) {
  std::string path = folder_.file("no such folder/chart.svg");
  EXPECT_EQ(generate(path), 0);
  EXPECT_EQ(reporter_.messages, Lines{"Cannot create the SVG file: " + path});
  EXPECT_TRUE(folderEntries(folder_.path()).empty());
  // The layout has run all the same.
  EXPECT_EQ(chart_->items[29].x, 185 + 255 * 29);
}

#ifndef _WIN32  // Windows has no file-size limit to make a write fail part-way
TEST_F(GenerateSvgTest, FailedWriteLeavesTheEarlierFileAsItWas) {
  std::string path = folder_.file("chart.svg");
  const std::string earlier = "earlier drawing\r\n";
  writeBytes(path, earlier);
  // Files of this process may grow to 4096 bytes; the document is larger.
  rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int32_t result = generate(path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(reporter_.messages, Lines{"Cannot create the SVG file: " + path});
  EXPECT_EQ(readBytes(path), earlier);
  EXPECT_EQ(folderEntries(folder_.path()), Lines{"chart.svg"});
}
#endif

}  // namespace
