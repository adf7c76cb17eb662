#include "render/svg_line.h"

#include <gtest/gtest.h>

#include <string>

#include "render/render_test_support.h"

namespace {

// Lines built in place come out exactly as writeLine would write them,
// whatever their lengths: short ones between long ones, lines longer than
// the whole write buffer (built beside it), a line whose room runs out
// while it is being built, and lines of another SvgLine after a release.
TEST(SvgLineTest, LinesOfEveryLengthComeOutWhole) {
  const std::string longPart(70000, 'a');  // more than the write buffer
  const std::string bytes = capture([&](LineBuffer& file) {
    SvgLine line(file);
    line << "first " << 12 << " " << -345;
    line.end();
    for (int k = 0; k < 3000; ++k) {  // fills the buffer many times over
      line << "<rect x=\"" << k << "\" />";
      line.end();
    }
    line << "long ";
    for (int k = 0; k < 3; ++k) line << std::string_view(longPart);
    line << Escaped{u"<&>"};
    line.end();
    line << "after the long line";
    line.end();
    line << Escaped{Text(40000, u'"')};  // 240,000 bytes escaped
    line.end();
    line.write("last of the first");
    line.release();
    SvgLine other(file);
    other.comment(u"second");
    other.write("");
  });
  std::string expected = "first 12 -345\r\n";
  for (int k = 0; k < 3000; ++k) {
    expected += "<rect x=\"" + std::to_string(k) + "\" />\r\n";
  }
  expected += "long " + longPart + longPart + longPart + "&lt;&amp;&gt;\r\n";
  expected += "after the long line\r\n";
  for (int k = 0; k < 40000; ++k) expected += "&quot;";
  expected += "\r\nlast of the first\r\n<!-- second -->\r\n\r\n";
  ASSERT_EQ(bytes.size(), expected.size());
  EXPECT_TRUE(bytes == expected);
}

TEST(SvgLineTest, NumbersOfEveryWidth) {
  const struct {
    int32_t number;
    const char* text;
  } cases[] = {
      {0, "0"},           {7, "7"},
      {10, "10"},         {99, "99"},
      {100, "100"},       {1588, "1588"},
      {10000, "10000"},   {99999, "99999"},
      {100000, "100000"}, {2147483647, "2147483647"},
      {-1, "-1"},         {-2147483647 - 1, "-2147483648"},
  };
  for (const auto& c : cases) {
    const std::string bytes = capture([&](LineBuffer& file) {
      SvgLine line(file);
      line << c.number;
      line.end();
    });
    EXPECT_EQ(bytes, std::string(c.text) + "\r\n") << c.number;
  }
}

}  // namespace
