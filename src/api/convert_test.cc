#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "flowsvg/flowsvg.h"
#include "testing/test_support.h"

namespace {

constexpr const char* kTime = "2026-12-10 09:30:00";

// The sample at a fixed time is the golden drawing the command line makes.
TEST(ConvertTest, TheSampleIsTheGoldenDrawing) {
  const flowsvg::Result result =
      flowsvg::convert(flowsvg::sampleDescription(), {kTime});
  ASSERT_EQ(result.error, "");
  EXPECT_EQ(result.sections, 1);
  EXPECT_EQ(result.items, 4);
  std::string golden = readBytes(FLOWSVG_SOURCE_DIR "/testdata/sample_flowchart.svg");
  // The golden file carries its own time line.
  const size_t at = golden.find("Generated: ");
  ASSERT_NE(at, std::string::npos);
  golden.replace(at + 11, 19, kTime);
  EXPECT_EQ(result.svg, golden);
  EXPECT_EQ(flowsvg::sampleDescription(),
            readBytes(FLOWSVG_SOURCE_DIR "/examples/sample_flowchart.txt"));
}

// accessible adds the title and reading; off, the bytes are the plain ones.
TEST(ConvertTest, AccessibleAddsATitleAndAReadingOfTheChart) {
  flowsvg::Options options{kTime};
  const flowsvg::Result plain =
      flowsvg::convert(flowsvg::sampleDescription(), options);
  options.accessible = true;
  const flowsvg::Result accessible =
      flowsvg::convert(flowsvg::sampleDescription(), options);
  ASSERT_EQ(accessible.error, "");
  EXPECT_NE(accessible.svg.find(
                " role=\"img\" aria-labelledby=\"flowchart-title "
                "flowchart-desc\">\r\n<title id=\"flowchart-title\">Process "
                "Flowchart: 5L bottling line: from order to shipment</title>"),
            std::string::npos);
  EXPECT_NE(accessible.svg.find("Arrow: Process step \u2192 Process step."),
            std::string::npos);
  EXPECT_EQ(plain.svg.find("<title"), std::string::npos);
  EXPECT_GT(accessible.svg.size(), plain.svg.size());
}

TEST(ConvertTest, WarningsAreListedInLineOrderAndCappedAsTheCommandLineDoes) {
  std::string many = "[A.b]\nitemid = 1\ntitel = x\n";
  for (int k = 0; k < 1200; ++k) many += "stray line\n";
  const flowsvg::Result result = flowsvg::convert(many, {kTime});
  ASSERT_EQ(result.error, "");
  ASSERT_EQ(result.warnings.size(), 1000u);
  EXPECT_EQ(result.warnings[0].line, 3);
  EXPECT_EQ(result.warnings[1].line, 4);
  EXPECT_EQ(result.moreWarnings, 201);
  for (size_t k = 1; k < result.warnings.size(); ++k) {
    EXPECT_LE(result.warnings[k - 1].line, result.warnings[k].line);
  }
}

TEST(ConvertTest, OnlyRealDatesAndTimesAreTaken) {
  const struct {
    const char* timestamp;
    bool taken;
  } cases[] = {
      {"2024-02-29 23:59:59", true},  {"2023-02-29 12:00:00", false},
      {"2026-13-01 00:00:00", false}, {"2026-12-10 24:00:00", false},
      {"2026-12-10 09:60:00", false}, {"2026-12-10T09:30:00", false},
      {"2026-12-10 09:30", false},    {"2026-12-1a 09:30:00", false},
      {"1970-01-01 00:00:00", true},  {"1969-12-31 23:59:59", false},
      {"9999-12-31 23:59:59", true},
  };
  for (const auto& c : cases) {
    const flowsvg::Result result = flowsvg::convert("[A]\n", {c.timestamp});
    EXPECT_EQ(result.error.empty(), c.taken) << c.timestamp;
    EXPECT_EQ(result.svg.empty(), !c.taken) << c.timestamp;
    if (c.taken) {
      EXPECT_NE(result.svg.find(c.timestamp), std::string::npos) << c.timestamp;
    }
  }
  // No timestamp: the local time now, in the same form.
  EXPECT_EQ(flowsvg::convert("").error, "");
}

// Conversions on many threads at once give what one at a time gives.
TEST(ConvertTest, ThreadsDoNotDisturbEachOther) {
  std::vector<std::string> descriptions;
  for (int k = 0; k < 8; ++k) {
    std::string text = "[Header]\nsubtitle = chart " + std::to_string(k) + "\n";
    for (int i = 0; i <= k; ++i) {
      text += "[S" + std::to_string(i) + ".x]\nitemid = " +
              std::to_string(10 + i) + "\nfromid = " + std::to_string(9 + i) +
              "\ntitle = step\nbad line\n";
    }
    descriptions.push_back(text);
  }
  std::vector<flowsvg::Result> alone;
  for (const std::string& d : descriptions) {
    alone.push_back(flowsvg::convert(d, {kTime}));
  }
  std::vector<flowsvg::Result> together(descriptions.size());
  std::vector<std::thread> threads;
  for (size_t k = 0; k < descriptions.size(); ++k) {
    threads.emplace_back([&, k] {
      for (int round = 0; round < 20; ++round) {
        together[k] = flowsvg::convert(descriptions[k], {kTime});
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (size_t k = 0; k < descriptions.size(); ++k) {
    EXPECT_EQ(together[k].svg, alone[k].svg) << k;
    EXPECT_EQ(together[k].warnings.size(), alone[k].warnings.size()) << k;
  }
}

}  // namespace
