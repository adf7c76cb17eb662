#include "platform/description_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "render/render_test_support.h"
#include "render/svg_document.h"

namespace {

using Lines = std::vector<std::string>;

class WriteSvgFileTest : public testing::Test {
 protected:
  void SetUp() override {
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
    return writeSvgFile(*chart_, textOfPath(path), reporter_).ok() ? 1 : 0;
  }

  TempFolder folder_;
  std::unique_ptr<Flowchart> chart_;
  RecordingReporter reporter_;
};

TEST_F(WriteSvgFileTest, WritesTheDocumentWithTheCurrentTime) {
  std::string path = folder_.file("chart.svg");
  writeBytes(path, std::string(100000, 'x'));  // a longer earlier file
  ASSERT_EQ(generate(path), 1);
  EXPECT_TRUE(reporter_.messages.empty());
#ifndef _WIN32  // xmllint runs on Linux; flowsvg_test.sh checks .exe drawings
  EXPECT_TRUE(wellFormedXml(readBytes(path)));
#endif
  Lines written = crlfLines(readBytes(path));
  Lines expected =
      captureLines([&](SvgOutput& out) { writeSvg(*chart_, out, 0); });
  ASSERT_EQ(written.size(), expected.size());
  EXPECT_TRUE(std::regex_match(
      written[6], std::regex("<!-- Generated: \\d{4}-\\d\\d-\\d\\d "
                             "\\d\\d:\\d\\d:\\d\\d -->")))
      << written[6];
  written[6] = expected[6];
  EXPECT_EQ(written, expected);
  EXPECT_EQ(folderEntries(folder_.path()), Lines{"chart.svg"});
}

TEST_F(WriteSvgFileTest, MissingFolderIsReportedAndNothingIsWritten) {
  std::string path = folder_.file("no such folder/chart.svg");
  EXPECT_EQ(generate(path), 0);
  EXPECT_EQ(reporter_.messages, Lines{"Cannot create the SVG file: " + path});
  EXPECT_TRUE(folderEntries(folder_.path()).empty());
  // The layout has run all the same.
  EXPECT_EQ(chart_->items[29].x, 185 + 255 * 29);
}

#ifndef _WIN32  // Windows has no file-size limit to make a write fail part-way
TEST_F(WriteSvgFileTest, FailedWriteLeavesTheEarlierFileAsItWas) {
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

// A file that cannot be opened is reported with its reason, and the chart
// is left empty, whatever an earlier parse put there.
TEST(ReadDescriptionFileTest, ReportsFilesItCannotOpen) {
  TempFolder folder;
  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {folder.file("missing.txt"), missingFileReason()},
      {folder.path(), folderReason()},
  };
  auto chart = newChart();
  for (const Case& c : cases) {
    readChart(*chart, "[Header]\nsubtitle = s\n[A.b]\nitemid = 1\n");
    RecordingReporter reporter;
    EXPECT_FALSE(readDescriptionFile(*chart, textOfPath(c.path), reporter).ok());
    EXPECT_EQ(reporter.messages,
              Lines{"Cannot open the description file: " + c.path});
    EXPECT_EQ(reporter.reasons, Lines{c.reason});
    EXPECT_EQ(chart->itemcount, 0);
    EXPECT_EQ(chart->sectioncount, 0);
    EXPECT_EQ(chart->subtitle, u"");
  }
}

TEST(ReadDescriptionFileTest, ReadsTheFile) {
  TempFolder folder;
  writeBytes(folder.file("in.txt"), "[A.b]\r\nitemid = 3\r\n");
  auto chart = newChart();
  RecordingReporter reporter;
  EXPECT_TRUE(
      readDescriptionFile(*chart, folder.text("in.txt"), reporter).ok());
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(chart->itemcount, 1);
  EXPECT_EQ(chart->items[0].itemid, 3);
}

}  // namespace
