#include "raster/shadows_behind_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf8.h"
#include "raster/raster.h"

namespace {

constexpr char Filter[] =
    "<defs><filter id=\"shadow\"><feGaussianBlur in=\"SourceAlpha\"/>"
    "<feMerge><feMergeNode/><feMergeNode in=\"SourceGraphic\"/></feMerge>"
    "</filter></defs>";
// Filter with its copy after it, in the defs.
constexpr char FilterAndBehind[] =
    "<defs><filter id=\"shadow\"><feGaussianBlur in=\"SourceAlpha\"/>"
    "<feMerge><feMergeNode/><feMergeNode in=\"SourceGraphic\"/></feMerge>"
    "</filter>\n  <filter id=\"shadow-behind\"><feGaussianBlur "
    "in=\"SourceAlpha\"/><feMerge><feMergeNode/></feMerge></filter></defs>";

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

TEST(ShadowsBehindTextTest, SplitsEachShadowedGroup) {
  const struct {
    std::string svg, want;
  } cases[] = {
      {std::string(Filter) + "<g id=\"a\" filter=\"url(#shadow)\"><text>A"
                             "</text></g>",
       std::string(FilterAndBehind) +
           "<g filter=\"url(#shadow-behind)\"><text>A</text></g>\n"
           "<g id=\"a\"><text>A</text></g>"},
      // Groups inside the shadowed one go along with it.
      {std::string(Filter) + "<g filter=\"url(#shadow)\"><g><rect/></g>"
                             "<g class=\"x\"/></g><g/>",
       std::string(FilterAndBehind) +
           "<g filter=\"url(#shadow-behind)\"><g><rect/></g><g class=\"x\"/>"
           "</g>\n<g><g><rect/></g><g class=\"x\"/></g><g/>"},
  };
  for (const auto& c : cases) EXPECT_EQ(shadowsBehindText(c.svg), c.want);
}

TEST(ShadowsBehindTextTest, LeavesOtherDrawingsAlone) {
  const std::string cases[] = {
      "<svg><g filter=\"url(#shadow)\"></g></svg>",  // no such filter
      "<filter id=\"shadow\"><feGaussianBlur/></filter>"
      "<g filter=\"url(#shadow)\"></g>",  // a filter that does not merge
      std::string(Filter) + "<g filter=\"url(#shadow)\"><g></g>",  // unclosed
  };
  for (const std::string& svg : cases) {
    const std::string out = shadowsBehindText(svg);
    EXPECT_EQ(out.find("<g filter=\"url(#shadow-behind)\">"),
              std::string::npos)
        << out;
  }
}

TEST(ShadowsBehindTextTest, SamePictureForTheSampleDrawing) {
  std::ifstream in(FLOWSVG_SOURCE_DIR "/testdata/sample_flowchart.svg",
                   std::ios::binary);
  const std::string svg(std::istreambuf_iterator<char>(in), {});
  const std::string split = shadowsBehindText(svg);
  EXPECT_EQ(count(split, "filter=\"url(#shadow)\""), 0u);
  EXPECT_EQ(count(split, "<g filter=\"url(#shadow-behind)\">"), 4u);
  for (const char* id : {"node-11", "node-12", "node-21", "node-22"}) {
    EXPECT_EQ(count(split, std::string("id=\"") + id + "\""), 1u) << id;
  }
  std::string before, after;
  const Status drawnBefore = renderSvgToBytes(svg, {}, before);
  const Status drawnAfter = renderSvgToBytes(split, {}, after);
  ASSERT_TRUE(drawnBefore.ok()) << encodeUtf8(drawnBefore.reason());
  ASSERT_TRUE(drawnAfter.ok()) << encodeUtf8(drawnAfter.reason());
  // Compared pixel by pixel: the blending order rounds a little differently
  // (6 of 255 at most, measured), which the eye cannot see.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "flowsvg-shadows-test";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "before.png", std::ios::binary) << before;
  std::ofstream(folder / "after.png", std::ios::binary) << after;
  const std::string command = "python3 " FLOWSVG_SOURCE_DIR
                              "/src/raster/png_difference.py " +
                              (folder / "before.png").string() + " " +
                              (folder / "after.png").string();
  std::string verdict;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char line[64] = {};
    if (std::fgets(line, sizeof line, pipe)) verdict = line;
    pclose(pipe);
  }
  std::filesystem::remove_all(folder);
  int largest = -1, count = -1;
  ASSERT_EQ(std::sscanf(verdict.c_str(), "%d %d", &largest, &count), 2)
      << verdict;
  EXPECT_LE(largest, 8);
  EXPECT_EQ(count, 0);
}

}  // namespace
