#include "files/description_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "model/flowchart.h"
#include "model/parser.h"
#include "testing/test_support.h"
#include "base/utf8.h"

namespace {

class SampleFileTest : public testing::Test {
 protected:
  TempFolder folder_;
  RecordingReporter reporter_;
};

TEST_F(SampleFileTest, WritesTheBundledExampleByteForByte) {
  std::string path = folder_.file("sample.txt");
  ASSERT_TRUE(writeSampleFile(decodeUtf8(path), reporter_).ok());
  EXPECT_TRUE(reporter_.messages.empty());
  std::string bytes = readBytes(path);
  EXPECT_EQ(bytes,
            readBytes(FLOWSVG_SOURCE_DIR "/examples/sample_flowchart.txt"));
  EXPECT_EQ(bytes.rfind("[Header]\r\n", 0), 0u);
  EXPECT_NE(bytes.find("\r\ntext = Four steps from order to shipment\r"
                       "Dates are examples only\r\n"),
            std::string::npos);
}

TEST_F(SampleFileTest, ReadsBackAsOneBandOfFourItems) {
  std::string path = folder_.file("sample.txt");
  ASSERT_TRUE(writeSampleFile(decodeUtf8(path), reporter_).ok());
  auto chart = std::make_unique<Flowchart>();
  ASSERT_TRUE(parseDescription(*chart, decodeUtf8(path), reporter_).ok());
  EXPECT_EQ(chart->sectioncount, 1);
  EXPECT_EQ(encodeUtf8(chart->sections[0].name), "Production.Steps");
  EXPECT_EQ(chart->sections[0].itemcount, 4);
  ASSERT_EQ(chart->itemcount, 4);
  const int32_t ids[] = {11, 12, 21, 22};
  const int32_t parents[] = {0, 0, 11, 12};
  const int32_t pairs[] = {4, 2, 2, 2};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(chart->items[i].itemid, ids[i]);
    EXPECT_EQ(chart->items[i].parentcount, 1);
    EXPECT_EQ(chart->items[i].parents[0], parents[i]);
    EXPECT_EQ(chart->items[i].contentcount, pairs[i]);
  }
  EXPECT_EQ(encodeUtf8(chart->summary), "Four steps from order to shipment");
}

TEST_F(SampleFileTest, MissingFolderIsReported) {
  std::string missing = folder_.file("missing/sample.txt");
  EXPECT_FALSE(writeSampleFile(decodeUtf8(missing), reporter_).ok());
  EXPECT_EQ(reporter_.messages,
            std::vector<std::string>{"Cannot create the sample file: " +
                                     missing});
  EXPECT_EQ(reporter_.reasons, std::vector<std::string>{missingFolderReason()});
}

TEST_F(SampleFileTest, TellsTheSampleFromAnEditedOne) {
  const std::string sample =
      readBytes(FLOWSVG_SOURCE_DIR "/examples/sample_flowchart.txt");
  ASSERT_GT(sample.size(), 100u);
  std::string lastByteChanged = sample;
  lastByteChanged.back() = 'x';
  std::string lfOnly;
  for (char c : sample) {
    if (c != '\r') lfOnly += c;
  }
  struct Case {
    const char* label;
    const std::string* bytes;  // nullptr: no file
    int32_t holds;
  };
  const std::string longer = sample + "\r\n";
  const std::string shorter = sample.substr(0, sample.size() - 1);
  const std::string empty;
  const Case cases[] = {
      {"the sample", &sample, 1},
      {"one byte more", &longer, 0},
      {"one byte less", &shorter, 0},
      {"last byte changed", &lastByteChanged, 0},
      {"LF line ends", &lfOnly, 0},
      {"empty", &empty, 0},
      {"missing", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = folder_.file("sample.txt");
    removeTree(path);
    if (c.bytes != nullptr) writeBytes(path, *c.bytes);
    EXPECT_EQ(holdsTheSample(folder_.text("sample.txt")), c.holds == 1);
  }
  EXPECT_FALSE(holdsTheSample(decodeUtf8(folder_.path())));  // a folder

  // What writeSampleFile writes is the sample, under any name.
  const Text odd = folder_.text("caf\xe9 sample.txt");
  ASSERT_TRUE(writeSampleFile(odd, reporter_).ok());
  EXPECT_TRUE(holdsTheSample(odd));
}

}  // namespace
