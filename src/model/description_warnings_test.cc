#include "model/description_warnings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "files/description_files.h"
#include "model/parser.h"
#include "testing/test_support.h"
#include "base/utf8.h"

namespace {

using Warnings = std::vector<std::pair<int32_t, std::string>>;

class RecordingSink : public DiagnosticsSink {
 public:
  void warning(int32_t line, TextView text) override {
    warnings.emplace_back(line, encodeUtf8(text));
  }
  Warnings warnings;
};

// Parses a description given as bytes into chart, with a sink when one is
// given.
void parse(const std::string& bytes, Flowchart& chart, DiagnosticsSink* sink) {
  ASSERT_TRUE(readDescription(chart, bytes, sink).ok());
}

Warnings warningsOf(const std::string& bytes) {
  auto chart = std::make_unique<Flowchart>();
  RecordingSink sink;
  parse(bytes, *chart, &sink);
  return sink.warnings;
}

// A description that uses every kind of line with its full effect.
const char kClean[] =
    "# A comment\n"
    "; another\n"
    "[Header]\n"
    "subtitle = Bottling line\n"
    "company = Example Ltd.\n"
    "\n"
    "[Production.Steps]\n"
    "itemid = 11\n"
    "fromid = 0\n"
    "image = order.png\n"
    "title = Take the order\n"
    "Owner = Sales\n"
    "[Production.Steps]\n"
    "itemid = 12\n"
    "fromid = 11, 0\n"
    "title = Bottle\n"
    "Period = 2025.1.8-2025.1.9\n"
    "[Summary]\n"
    "text = Two steps|Dates are examples only\n";

struct Case {
  const char* what;
  std::string description;
  Warnings expected;
};

std::string hundredItemsThen(const std::string& rest) {
  std::string text = "[S.a]\n";
  for (int i = 1; i <= 100; ++i) text += "itemid = " + std::to_string(i) + "\n";
  return text + rest;
}

std::vector<Case> cases() {
  std::string sixteenLines = "[A.b]\nitemid = 1\n";
  for (int k = 1; k <= 17; ++k) sixteenLines += "k = v\n";
  std::string sections;
  for (int s = 1; s <= 21; ++s) sections += "[S." + std::to_string(s) + "]\n";
  return {
      {"a line of no known form",
       "[A.b]\nitemid = 1\nhello world\n",
       {{3,
         "\"hello world\" is no section line, comment or key = value line; "
         "the line is ignored"}}},
      {"a colon for an equals sign",
       "[A.b]\nitemid = 1\ntitle: Order\n",
       {{3,
         "\"title: Order\" is no section line, comment or key = value line; "
         "the line is ignored (did you mean \"title = Order\"?)"}}},
      {"a section line without its bracket",
       "[A.b\n",
       {{1,
         "\"[A.b\" is no section line, comment or key = value line; the line "
         "is ignored (a section line ends with \"]\")"}}},
      {"a key before any section",
       "subtitle = x\n[Header]\n",
       {{1,
         "\"subtitle\" comes before any section line; the line is ignored "
         "(it belongs under [Header])"}}},
      {"a key under []",
       "[]\nitemid = 1\n",
       {{2,
         "\"itemid\" is under the section [], which takes no keys; the line "
         "is ignored"}}},
      {"a key outside any item",
       "[A.b]\ntitle = x\nitemid = 1\n",
       {{2,
         "\"title\" comes before the first itemid line, so it belongs to no "
         "box; the line is ignored"}}},
      {"a misspelt itemid before the first item",
       "[A.b]\nItemid = 1\n",
       {{2,
         "\"Itemid\" comes before the first itemid line, so it belongs to no "
         "box; the line is ignored (did you mean \"itemid\"?)"}}},
      {"an unknown key of [Header]",
       "[Header]\nsubtitel = Plan\n",
       {{2,
         "\"subtitel\" is no key of [Header]; the line is ignored (did you "
         "mean \"subtitle\"?)"}}},
      {"an unknown key of [Summary]",
       "[Summary]\ntxt = t\n",
       {{2,
         "\"txt\" is no key of [Summary]; the line is ignored (did you mean "
         "\"text\"?)"}}},
      {"a section named like [Header]",
       "[header]\n",
       {{1, "[header] is read as a band of boxes (did you mean [Header]?)"}}},
      {"a key that looks like an item key",
       "[A.b]\nitemid = 1\nTitle = x\n",
       {{3,
         "\"Title\" is shown as a line in the box (did you mean "
         "\"title\"?)"}}},
      {"a header key given twice",
       "[Header]\ncompany = a\ncompany = b\n",
       {{3,
         "\"company\" was already given on line 2; this value replaces it"}}},
      {"an item key given twice",
       "[A.b]\nitemid = 1\ntitle = a\nimage = i\ntitle = b\n",
       {{5,
         "\"title\" was already given for this box on line 3; this value "
         "replaces it"}}},
      {"a repeated itemid",
       "[A.b]\nitemid = 11\nitemid = 11\n",
       {{3,
         "itemid 11 is already the id of the box on line 2; fromid = 11 names "
         "that box, never this one"}}},
      {"an itemid that is no number",
       "[A.b]\nitemid = 1O\n",
       {{2, "itemid \"1O\" is not a whole number; it reads as 1"}}},
      {"an itemid beyond 32 bits",
       "[A.b]\nitemid = 4294967297\n",
       {{2, "itemid \"4294967297\" is not a whole number; it reads as 1"}}},
      {"ids in fromid without a comma",
       "[A.b]\nitemid = 1\nitemid = 2\nfromid = 1 2\n",
       {{4,
         "\"1 2\" in fromid is not a whole number; it reads as 1 (separate "
         "ids with \",\")"}}},
      {"a fromid naming no box",
       "[A.b]\nitemid = 1\nfromid = 7, 1, 7\n",
       {{3,
         "fromid names 7, but no box has that itemid; no arrow is drawn from "
         "it"}}},
      {"parents beyond 10",
       "[A.b]\nitemid = 1\nfromid = 1,1,1,1,1,1,1,1,1,1,1,1\n",
       {{3,
         "fromid lists 12 ids; a box keeps the first 10, the rest are "
         "ignored"}}},
      {"content lines beyond 15",
       sixteenLines,
       {{18,
         "box 1 already has 15 lines, the most a box shows; this line and "
         "the later ones of the box are left out"}}},
      {"sections beyond 20",
       sections + "[S.21]\n",
       {{21,
         "[S.21] would be the 21st section; a drawing has at most 20, so it "
         "and its boxes are not drawn"}}},
      {"the 100th item with lines after it",
       hundredItemsThen("title = late\n# a comment\n\n[Summary]\n"),
       {{101,
         "this is the 100th box, the most a drawing holds; reading stops "
         "here, and the 2 lines after it that are not blank or comments are "
         "not read"}}},
      {"the 100th item with one line after it",
       hundredItemsThen("\n; only a comment\ntitle = late\n"),
       {{101,
         "this is the 100th box, the most a drawing holds; reading stops "
         "here, and the line after it that is not blank or a comment is not "
         "read"}}},
      {"the 100th item with nothing after it",
       hundredItemsThen("\n# only a comment\n"),
       {}},
      {"a box under a name without a dot",
       "[Steps]\nitemid = 4\n",
       {{2,
         "box 4 is under [Steps], a name without \".\"; the box is counted "
         "but not drawn (name the section Group.Name)"}}},
      {"a value cut short",
       "[A.b]\nitemid = 1\nNote = Confirm the order with the customer.\n",
       {{3,
         "the value of \"Note\" is shown cut short as \"Confirm the order "
         "with th...\"; a box line holds 28 characters, key and \":\" "
         "included (a character above U+FFFF counts as two)"}}},
      // 24 letters and a character above U+FFFF: its two units would be cut
      // between the 25th and the 26th, so only the 24 letters are shown.
      {"a value cut before a character above U+FFFF",
       "[A.b]\nitemid = 1\nk = " + std::string(24, 'v') +
           "\xF0\x9F\x98\x80tail\n",
       {{3,
         std::string("the value of \"k\" is shown cut short as \"") +
             std::string(24, 'v') +
             "...\"; a box line holds 28 characters, key and \":\" included "
             "(a character above U+FFFF counts as two)"}}},
      {"summary lines beyond 6",
       "[Summary]\ntext = 1|2|3\\n4|5|6|7\n",
       {{2,
         "the summary has 7 lines; the panel shows the first 6, the rest are "
         "left out"}}},
      {"a summary line cut at 90",
       "[Summary]\ntext = ok|" + std::string(95, 'x') + "\n",
       {{2,
         "line 2 of the summary has 95 characters; the panel cuts it to 87 "
         "and \"...\" (a character above U+FFFF counts as two)"}}},
      // 20 x 1933 units of bold W at 14 px: 264 px; the title starts 15 px
      // into the 220 px box.
      {"a title wider than its box",
       "[A.b]\nitemid = 1\ntitle = WWWWWWWWWWWWWWWWWWWW\n",
       {{3,
         "the title \"WWWWWWWWWWWWWWWWWWWW\" is about 264 px wide, 59 px more "
         "than the 205 px its box leaves for it"}}},
      // "Group." is 6712 units bold and each W 1933, at 13 px: 116 px.
      {"a section name wider than its band",
       "[Group.WWWWWW]\n",
       {{1,
         "the section name \"Group.WWWWWW\" is about 116 px wide, 6 px more "
         "than the 110 px of its band's label"}}},
      // Key and colon bold, the value regular, 39342 units at 11 px, and
      // the 3 px between them: 214 px, where the box leaves 210.
      {"a box line wider than its box",
       "[A.b]\nitemid = 1\nWWWWWWWW = WWWWWWWWWWWW\n",
       {{3,
         "the box line \"WWWWWWWW: WWWWWWWWWWWW\" is about 214 px wide, 4 px "
         "more than the 210 px its box leaves for it"}}},
      {"bytes that are not UTF-8",
       "[A.b]\nitemid = 1\ntitle = Jos\xe9\nOwner = \x80\n",
       {{3,
         "the line holds bytes that are not UTF-8, read as \"?\" or "
         "\"\xEF\xBF\xBD\" or left out (save the file as UTF-8)"},
        {4,
         "the line holds bytes that are not UTF-8, read as \"?\" or "
         "\"\xEF\xBF\xBD\" or left out (save the file as UTF-8)"}}},
      // A byte-order mark is skipped: the first line reads as it stands.
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF[Header]\nsubtitle = x\n", {}},
      {"a UTF-16 byte-order mark, little-endian",
       std::string("\xFF\xFE[\0H\0e\0a\0d\0e\0r\0]\0\r\0\n\0x\0\n\0", 26),
       {{2,
         "\"x\" is no section line, comment or key = value line; the line is "
         "ignored"}}},
      {"a unit of UTF-16 without its pair",
       std::string("\xFE\xFF\0[\0A\0.\0b\0]\0\n\xD8\x01\0x", 18),
       {{2,
         "the line holds bytes that are not UTF-8, read as \"?\" or "
         "\"\xEF\xBF\xBD\" or left out (save the file as UTF-8)"},
        {2,
         "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx\" is no section line, "
         "comment "
         "or key = value line; the line is ignored"}}},
      // A control character the drawing shows as U+FFFD is named, in every
      // text the drawing shows; a tab is drawn as it is.
      {"control characters in shown texts",
       "[Header]\nsubtitle = a\x01z\ncompany = \x1f\n[Summary]\ntext = s\x7f|"
       "\x0b\n[G.\x02]\nitemid = 1\ntitle = t\x1b[2J\nk\x03 = v\nk = "
       "v\x04\nkey = " +
           std::string(25, 'v') + "\x05 not shown\nk = t\tab\n",
       {{2,
         "\"a\\x01z\" holds the control character \\x01, which the drawing "
         "shows as \"\xEF\xBF\xBD\""},
        {3,
         "\"\\x1f\" holds the control character \\x1f, which the drawing "
         "shows as \"\xEF\xBF\xBD\""},
        {5,
         "\"s\\x7f|\\x0b\" holds the control character \\x0b, which the "
         "drawing shows as \"\xEF\xBF\xBD\""},
        {6,
         "\"G.\\x02\" holds the control character \\x02, which the drawing "
         "shows as \"\xEF\xBF\xBD\""},
        {8,
         "\"t\\x1b[2J\" holds the control character \\x1b, which the "
         "drawing shows as \"\xEF\xBF\xBD\""},
        {9,
         "\"k\\x03\" holds the control character \\x03, which the drawing "
         "shows as \"\xEF\xBF\xBD\""},
        {10,
         "\"v\\x04\" holds the control character \\x04, which the drawing "
         "shows as \"\xEF\xBF\xBD\""},
        {11,
         std::string("the value of \"key\" is shown cut short as \"") +
             std::string(25, 'v') +
             "...\"; a box line holds 28 characters, key and \":\" included "
             "(a character above U+FFFF counts as two)"}}},
      {"a tab before a key",
       "[A.b]\nitemid = 1\n\ttitle = x\n",
       {{3,
         "the key \"\\x09title\" has a tab at its start, which is not trimmed "
         "like a space; it is not \"title\""}}},
      {"a tab after a value",
       "[A.b]\nitemid = 1\ntitle = x\t\n",
       {{3,
         "the value \"x\\x09\" has a tab at its end, which is not trimmed "
         "like a space and stays in the value"}}},
      {"a no-break space after a header key",
       "[Header]\nsubtitle\xC2\xA0= x\n",
       {{2,
         "the key \"subtitle\xC2\xA0\" has a no-break space at its end, which "
         "is not trimmed like a space; it is not \"subtitle\""}}},
      {"a tab around a section line",
       "[A.b]\t\n",
       {{1,
         "the line has a tab at its end, which is not trimmed like a space, "
         "so it is not read as a section line"}}},
      {"a tab before a comment",
       "\t# note\n",
       {{1,
         "the line has a tab at its start, which is not trimmed like a "
         "space, so it is not read as a comment"}}},
      // As an editor counts them: CR, CR LF and LF start a line; a 0x00
      // ends the text read from its line but starts no new one.
      {"lines counted as an editor counts them",
       std::string("[A.b]\ritemid = 1\r\nx\ny\0z\n\0\0w\r\rv", 30),
       {{3,
         "\"x\" is no section line, comment or key = value line; the line is "
         "ignored"},
        {4,
         "\"y\" is no section line, comment or key = value line; the line is "
         "ignored"},
        {4,
         "\"z\" is no section line, comment or key = value line; the line is "
         "ignored"},
        {5,
         "\"w\" is no section line, comment or key = value line; the line is "
         "ignored"},
        {7,
         "\"v\" is no section line, comment or key = value line; the line is "
         "ignored"}}},
      {"a description without a mistake", kClean, {}},
  };
}

TEST(DescriptionWarningsTest, EachMistakeGivesItsLine) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(warningsOf(c.description), c.expected);
  }
}

// The bundled example gives exactly the warnings true of it: its Note value
// is cut, and its last line holds a CR, so the reader sees the part after it
// as line 41, a line with no "=".
TEST(DescriptionWarningsTest, TheBundledExample) {
  auto chart = std::make_unique<Flowchart>();
  RecordingReporter reporter;
  RecordingSink sink;
  ASSERT_TRUE(
      parseDescription(
          *chart,
          decodeUtf8(FLOWSVG_SOURCE_DIR "/examples/sample_flowchart.txt"),
          reporter, &sink)
          .ok());
  const Warnings expected = {
      {13,
       "the value of \"Note\" is shown cut short as \"Confirm the order with "
       "th...\"; a box line holds 28 characters, key and \":\" included (a "
       "character above U+FFFF counts as two)"},
      {41,
       "\"Dates are examples only\" is no section line, comment or key = "
       "value line; the line is ignored"}};
  EXPECT_EQ(sink.warnings, expected);
}

// Quoted texts stay short and on one line, whatever the description holds.
TEST(DescriptionWarningsTest, QuotesAreCutAndShowControlCharacters) {
  const Warnings got =
      warningsOf("[A.b]\nitemid = 1\n" + std::string(100, 'w') + "\x01\n");
  ASSERT_EQ(got.size(), 1u);
  // The quote is put in front by std::string: a const char* in front of a
  // temporary string makes GCC 12 warn falsely (-Wrestrict) at -O3.
  EXPECT_EQ(got[0].second, std::string("\"") + std::string(40, 'w') +
                               "\"... is no section line, comment or key = "
                               "value line; the line is ignored");
  const Warnings control = warningsOf(
      "a\x01"
      "b\n");
  ASSERT_EQ(control.size(), 1u);
  EXPECT_EQ(control[0].second.substr(0, 9), "\"a\\x01b\" ");
}

std::vector<std::string> itemLines(const FlowItem& item) {
  std::vector<std::string> lines = {
      std::to_string(item.itemid), encodeUtf8(item.fromid),
      encodeUtf8(item.image),      encodeUtf8(item.title),
      encodeUtf8(item.grouppart),  encodeUtf8(item.namepart),
      std::to_string(item.width)};
  for (int32_t k = 0; k < item.parentcount; ++k) {
    lines.push_back(std::to_string(item.parents[k]));
  }
  for (int32_t k = 0; k < item.contentcount; ++k) {
    lines.push_back(encodeUtf8(item.content[k].key) + "=" +
                    encodeUtf8(item.content[k].value));
  }
  return lines;
}

// Everything a parse put into the chart, as text.
std::vector<std::string> contentOf(const Flowchart& chart) {
  std::vector<std::string> lines = {encodeUtf8(chart.subtitle),
                                    encodeUtf8(chart.company),
                                    encodeUtf8(chart.summary)};
  for (int32_t s = 0; s < chart.sectioncount; ++s) {
    lines.push_back(encodeUtf8(chart.sections[s].name) + "/" +
                    std::to_string(chart.sections[s].itemcount));
  }
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    for (std::string& line : itemLines(chart.items[i])) {
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

// Listening changes nothing that is read: the chart of every description
// above is the same with a sink as without one.
TEST(DescriptionWarningsTest, TheChartIsTheSameWithOrWithoutASink) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    auto without = std::make_unique<Flowchart>();
    auto with = std::make_unique<Flowchart>();
    RecordingSink sink;
    parse(c.description, *without, nullptr);
    parse(c.description, *with, &sink);
    EXPECT_EQ(contentOf(*with), contentOf(*without));
  }
}

}  // namespace
