#include "files/description_files.h"
#include "model/parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/test_support.h"
#include "base/utf8.h"

namespace {

class ParserTest : public testing::Test {
 protected:
  // Parses a description given as UTF-8 text with "\n" line ends.
  Flowchart& parse(const std::string& description) {
    RecordingReporter reporter;
    EXPECT_TRUE(readDescription(*chart_, description).ok());
    return *chart_;
  }
  std::unique_ptr<Flowchart> chart_ = std::make_unique<Flowchart>();
};

std::vector<int32_t> parentsOf(const FlowItem& item) {
  return std::vector<int32_t>(item.parents.begin(),
                              item.parents.begin() + item.parentcount);
}

TEST_F(ParserTest, HeaderSummarySectionsAndItems) {
  Flowchart& c = parse(
      "# a comment\n"
      "; another = comment\n"
      "[Header]\n"
      "company = ACME\n"
      "subtitle = first\n"
      "subtitle = Line = two\n"
      "itemid = 5\n"
      "[Flow.Main]\n"
      "itemid = 11\n"
      "fromid = 0\n"
      "image = a.png\n"
      "title = Start\n"
      "Owner = Sales\n"
      "Owner = Again\n"
      "  Note   =  spaced  value  \n"
      "[Flow.Side]\n"
      "itemid = 12\n"
      "fromid = 11, 5 ,x,,-3\n"
      "[Flow.Main]\n"
      "itemid = 13\n"
      "[Summary]\n"
      "text = done|really\n");
  EXPECT_EQ(c.subtitle, u"Line = two");
  EXPECT_EQ(c.company, u"ACME");
  EXPECT_EQ(c.summary, u"done|really");
  ASSERT_EQ(c.sectioncount, 2);
  EXPECT_EQ(c.sections[0].name, u"Flow.Main");
  EXPECT_EQ(c.sections[0].itemcount, 2);
  EXPECT_EQ(c.sections[1].name, u"Flow.Side");
  EXPECT_EQ(c.sections[1].itemcount, 1);
  ASSERT_EQ(c.itemcount, 3);
  const FlowItem& first = c.items[0];
  EXPECT_EQ(first.itemid, 11);
  EXPECT_EQ(first.grouppart, u"Flow");
  EXPECT_EQ(first.namepart, u"Main");
  EXPECT_EQ(first.title, u"Start");
  EXPECT_EQ(first.image, u"a.png");
  EXPECT_EQ(first.fromid, u"0");
  EXPECT_EQ(parentsOf(first), std::vector<int32_t>{0});
  EXPECT_EQ(first.width, ItemWidth);
  ASSERT_EQ(first.contentcount, 3);
  EXPECT_EQ(first.content[0].key, u"Owner");
  EXPECT_EQ(first.content[1].value, u"Again");
  EXPECT_EQ(first.content[2].key, u"Note");
  EXPECT_EQ(first.content[2].value, u"spaced  value");
  EXPECT_EQ(c.items[1].fromid, u"11, 5 ,x,,-3");
  EXPECT_EQ(parentsOf(c.items[1]), (std::vector<int32_t>{11, 5, 0, 0, -3}));
  EXPECT_EQ(c.items[2].itemid, 13);
}

TEST_F(ParserTest, LineKindsAndKeys) {
  Flowchart& c = parse(
      "itemid = 1\n"  // before any section: no effect
      "[A.B]\n"
      "title = before any item\n"
      "itemid = abc\n"
      "\tTitle = tab key\n"
      "Title = case\n"
      "= empty key\n"
      "=\n"
      "a=b=c\n"
      "[Not.A.Section\n"  // no "]": a stray line without "="
      "[A.B]\t\n"         // ends in a tab: not a section line
      "#title = commented\n"
      "x # y = z\n"
      "stray words\n");
  ASSERT_EQ(c.itemcount, 1);
  const FlowItem& item = c.items[0];
  EXPECT_EQ(item.itemid, 0);
  EXPECT_EQ(item.title, u"");
  std::vector<std::pair<Text, Text>> pairs;
  for (int i = 0; i < item.contentcount; ++i) {
    pairs.emplace_back(item.content[i].key, item.content[i].value);
  }
  const std::vector<std::pair<Text, Text>> expected = {
      {u"\tTitle", u"tab key"}, {u"Title", u"case"},
      {u"", u"empty key"},      {u"", u""},
      {u"a", u"b=c"},           {u"x # y", u"z"},
  };
  EXPECT_EQ(pairs, expected);
}

TEST_F(ParserTest, SectionNamesAsWritten) {
  Flowchart& c = parse(
      "[]\n"
      "itemid = 1\n"
      "[ Header ]\n"
      "subtitle = not the header\n"
      "[Plain]\n"
      "itemid = 2\n"
      "[a=b]\n"
      "[Plain]\n"
      "itemid = 3\n"
      "[g.n.m]\n"
      "itemid = 4\n"
      "[Header]\n"
      "itemid = 9\n"
      "title = header keys fill no item\n");
  EXPECT_EQ(c.subtitle, u"");
  ASSERT_EQ(c.sectioncount, 5);
  EXPECT_EQ(c.sections[0].name, u"");
  EXPECT_EQ(c.sections[1].name, u" Header ");
  EXPECT_EQ(c.sections[2].name, u"Plain");
  EXPECT_EQ(c.sections[2].itemcount, 2);
  EXPECT_EQ(c.sections[3].name, u"a=b");
  ASSERT_EQ(c.itemcount, 3);  // the line under "[]" has no effect
  EXPECT_EQ(c.items[0].grouppart, u"");
  EXPECT_EQ(c.items[0].namepart, u"Plain");
  EXPECT_EQ(c.items[2].grouppart, u"g");
  EXPECT_EQ(c.items[2].namepart, u"n.m");
  EXPECT_EQ(c.items[2].title, u"");
}

TEST_F(ParserTest, KeysAfterSectionLineGoToPreviousItem) {
  Flowchart& c = parse(
      "[A.x]\nitemid = 1\n[B.y]\ntitle = belongs to 1\nitemid = 2\n"
      "fromid = 1\nfromid = 7,8\n");
  ASSERT_EQ(c.itemcount, 2);
  EXPECT_EQ(c.items[0].title, u"belongs to 1");
  EXPECT_EQ(c.items[1].fromid, u"7,8");
  EXPECT_EQ(parentsOf(c.items[1]), (std::vector<int32_t>{7, 8}));
}

TEST_F(ParserTest, CapacityLimits) {
  std::string text = "[S.a]\nitemid = 1\nfromid = 1,2,3,4,5,6,7,8,9,10,11,12\n";
  for (int k = 1; k <= 17; ++k) {
    // Appended in parts: GCC 12 misreports "k" + std::string as overlapping.
    text += "k";
    text += std::to_string(k) + " = v\n";
  }
  for (int s = 2; s <= 21; ++s) {
    text +=
        "[S." + std::to_string(s) + "]\nitemid = " + std::to_string(s) + "\n";
  }
  Flowchart& c = parse(text);
  const FlowItem& first = c.items[0];
  EXPECT_EQ(first.parentcount, MaxParents);
  EXPECT_EQ(first.parents[9], 10);
  ASSERT_EQ(first.contentcount, MaxContentPairs);
  EXPECT_EQ(first.content[14].key, u"k15");
  EXPECT_EQ(c.sectioncount, MaxSections);
  EXPECT_EQ(c.itemcount, 21);  // the item under the 21st name still exists
  int counted = 0;
  for (int s = 0; s < c.sectioncount; ++s) counted += c.sections[s].itemcount;
  EXPECT_EQ(counted, 20);
  EXPECT_EQ(findSection(c, u"S.21"), -1);
}

TEST_F(ParserTest, ReadingStopsAtTheHundredthItem) {
  std::string text = "[S.a]\n";
  for (int i = 1; i <= 100; ++i) text += "itemid = " + std::to_string(i) + "\n";
  text += "title = too late\nk = v\nitemid = 101\n[Summary]\ntext = unread\n";
  Flowchart& c = parse(text);
  EXPECT_EQ(c.itemcount, MaxItems);
  EXPECT_EQ(c.items[99].itemid, 100);
  EXPECT_EQ(c.items[99].title, u"");
  EXPECT_EQ(c.items[99].contentcount, 0);
  EXPECT_EQ(c.summary, u"");
}

TEST_F(ParserTest, EveryParseStartsEmpty) {
  parse(
      "[Header]\nsubtitle = s\ncompany = c\n[Summary]\ntext = t\n[A.b]\n"
      "itemid = 1\nfromid = 2\nimage = i\ntitle = t\nk = v\n");
  chart_->items[0].x = 500;
  chart_->items[0].sectionno = 3;
  Flowchart& c = parse("[C.d]\nitemid = 7\n");
  EXPECT_EQ(c.subtitle, u"");
  EXPECT_EQ(c.company, u"");
  EXPECT_EQ(c.summary, u"");
  ASSERT_EQ(c.itemcount, 1);
  const FlowItem& item = c.items[0];
  EXPECT_EQ(item.itemid, 7);
  EXPECT_EQ(item.title, u"");
  EXPECT_EQ(item.image, u"");
  EXPECT_EQ(item.fromid, u"");
  EXPECT_EQ(item.parentcount, 0);
  EXPECT_EQ(item.contentcount, 0);
  EXPECT_EQ(item.x, 0);
  EXPECT_EQ(item.sectionno, 0);
  EXPECT_EQ(c.sectioncount, 1);
}

TEST_F(ParserTest, ByteLevelQuirks) {
  // A byte-order mark is skipped; CR-only line ends work.
  Flowchart& c = parse(
      "\xEF\xBB\xBF[Header]\rsubtitle = shown\r[A.b]\ritemid = $1F\r"
      "itemid = 4294967297\r");
  EXPECT_EQ(c.subtitle, u"shown");
  ASSERT_EQ(c.sectioncount, 1);
  EXPECT_EQ(c.sections[0].name, u"A.b");
  ASSERT_EQ(c.itemcount, 2);
  EXPECT_EQ(c.items[0].itemid, 31);
  EXPECT_EQ(c.items[1].itemid, 1);
}

// What an editor on Windows saves: UTF-8 with a byte-order mark, UTF-16 of
// either byte order with one. Each reads exactly as the same text in UTF-8.
TEST_F(ParserTest, SavedWithAByteOrderMarkReadsAsUtf8) {
  using namespace std::string_literals;
  const std::string utf8 =
      "[Header]\r\nsubtitle = Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n[A.b]\r\n"
      "itemid = 1\r\ntitle = T\r\nk = v\0cut\r\n[Summary]\r\ntext = s\r\n"s;
  const Text text = decodeUtf8Escaped(utf8.substr(0, utf8.find('\0'))) + u'\0' +
                    decodeUtf8Escaped(utf8.substr(utf8.find('\0') + 1));
  std::string little = "\xFF\xFE";
  std::string big = "\xFE\xFF";
  for (char16_t unit : text) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const struct {
    const char* what;
    std::string bytes;
  } forms[] = {{"UTF-8", utf8},
               {"UTF-8 with a mark", "\xEF\xBB\xBF" + utf8},
               {"UTF-16 little-endian", little},
               {"UTF-16 big-endian", big}};
  for (const auto& [what, saved] : forms) {
    SCOPED_TRACE(what);
    Flowchart& c = parse(saved);
    EXPECT_EQ(c.subtitle, u"Caf\u00E9 \U0001F600");
    EXPECT_EQ(c.summary, u"s");
    ASSERT_EQ(c.sectioncount, 1);
    EXPECT_EQ(c.sections[0].name, u"A.b");
    ASSERT_EQ(c.itemcount, 1);
    EXPECT_EQ(c.items[0].title, u"T");
    ASSERT_EQ(c.items[0].contentcount, 1);
    EXPECT_EQ(c.items[0].content[0].value, u"v");
  }
}

// A file that cannot be opened is reported with its reason, and the model
// is left empty, whatever an earlier parse put there.
TEST_F(ParserTest, ParseDescriptionReportsFilesItCannotOpen) {
  TempFolder folder;
  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {folder.file("missing.txt"), missingFileReason()},
      {folder.path(), folderReason()},
  };
  for (const Case& c : cases) {
    parse("[Header]\nsubtitle = s\n[A.b]\nitemid = 1\n");
    RecordingReporter reporter;
    EXPECT_FALSE(parseDescription(*chart_, decodeUtf8(c.path), reporter).ok());
    EXPECT_EQ(reporter.messages,
              std::vector<std::string>{"Cannot open the description file: " +
                                       c.path});
    EXPECT_EQ(reporter.reasons, std::vector<std::string>{c.reason});
    EXPECT_EQ(chart_->itemcount, 0);
    EXPECT_EQ(chart_->sectioncount, 0);
    EXPECT_EQ(chart_->subtitle, u"");
  }
}

TEST_F(ParserTest, ParseDescriptionReadsFile) {
  TempFolder folder;
  writeBytes(folder.file("in.txt"), "[A.b]\r\nitemid = 3\r\n");
  RecordingReporter reporter;
  EXPECT_TRUE(parseDescription(*chart_, folder.text("in.txt"), reporter).ok());
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(chart_->itemcount, 1);
  EXPECT_EQ(chart_->items[0].itemid, 3);
}

}  // namespace
