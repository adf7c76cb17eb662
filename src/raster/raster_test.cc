#include "raster/raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "base/utf8.h"
#include "descriptions.h"
#include "flowsvg/flowsvg.h"
#include "raster/raster_fonts.h"
#include "raster/raster_libraries.h"

namespace {

std::string sampleSvg() {
  std::ifstream in(FLOWSVG_SOURCE_DIR "/testdata/sample_flowchart.svg",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t bigEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// The chunk types of a PNG, in order; empty when it is not a PNG.
std::vector<std::string> pngChunks(const std::string& png) {
  std::vector<std::string> chunks;
  if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return chunks;
  for (size_t at = 8; at + 8 <= png.size();) {
    chunks.push_back(png.substr(at + 4, 4));
    at += 12 + bigEndian(png, at);
  }
  return chunks;
}

struct Size {
  uint32_t width, height;
  bool operator==(const Size&) const = default;
};

Size pngSize(const std::string& png) {
  return {bigEndian(png, 16), bigEndian(png, 20)};
}

std::string render(const std::string& svg, const RasterOptions& options) {
  std::string out;
  const Status status = renderSvgToBytes(svg, options, out);
  EXPECT_TRUE(status.ok()) << encodeUtf8(status.reason());
  return out;
}

RasterOptions pngAt(double scale) {
  RasterOptions options;
  options.scale = scale;
  return options;
}

RasterOptions inFormat(RasterFormat format) {
  RasterOptions options;
  options.format = format;
  return options;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

std::string reasonOf(const Status& status) {
  EXPECT_FALSE(status.ok());
  return encodeUtf8(status.reason());
}

TEST(RasterTest, PngSizeFollowsTheScale) {
  // The sample drawing is 1245 x 470 pixels; sizes are rounded up.
  const struct {
    double scale;
    Size size;
  } cases[] = {{0.25, {312, 118}},
               {0.5, {623, 235}},
               {1, {1245, 470}},
               {2, {2490, 940}}};
  const std::string svg = sampleSvg();
  for (const auto& c : cases) {
    const std::string png = render(svg, pngAt(c.scale));
    EXPECT_EQ(pngSize(png), c.size) << "scale " << c.scale;
  }
}

TEST(RasterTest, PngCarriesNoTime) {
  const std::string png = render(sampleSvg(), {});
  const std::vector<std::string> chunks = pngChunks(png);
  ASSERT_FALSE(chunks.empty());
  EXPECT_EQ(chunks.front(), "IHDR");
  EXPECT_EQ(chunks.back(), "IEND");
  // Neither a time chunk nor a text chunk that could carry one.
  for (const std::string& chunk : chunks) {
    EXPECT_TRUE(chunk != "tIME" && chunk != "tEXt" && chunk != "zTXt" &&
                chunk != "iTXt")
        << chunk;
  }
  EXPECT_EQ(render(sampleSvg(), {}), png);
}

TEST(RasterTest, PdfIsOnePageDatedByTheGivenTime) {
  // 2023-11-14 22:13:20 UTC.
  const RasterOptions options{.format = RasterFormat::Pdf,
                              .documentDate = 1700000000};
  const std::string pdf = render(sampleSvg(), options);
  ASSERT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
  EXPECT_NE(pdf.find("/CreationDate (D:20231114221320Z)"), std::string::npos);
  EXPECT_NE(pdf.find("/ModDate (D:20231114221320Z)"), std::string::npos);
  EXPECT_EQ(count(pdf, "/Type /Page "), 1u);
  // No file identifier, which could differ from run to run.
  EXPECT_EQ(pdf.find("/ID"), std::string::npos);
  // 1245 x 470 px at 0.75 pt a pixel.
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 933.75 352.5 ]"), std::string::npos);
  EXPECT_EQ(render(sampleSvg(), options), pdf);
}

// The largest description the format allows. Its PDF takes about 15
// seconds, most of it librsvg drawing the 100 boxes' shadows.
TEST(RasterTest, LargestDescriptionDrawsInBothFormats) {
  const flowsvg::Result drawing = flowsvg::convert(
      largestDescription(), {.timestamp = "2026-12-10 09:30:00"});
  ASSERT_TRUE(drawing.error.empty()) << drawing.error;
  // 1500 x 7290 px at a quarter.
  EXPECT_EQ(pngSize(render(drawing.svg, pngAt(0.25))), (Size{375, 1823}));
  const std::string pdf = render(drawing.svg, inFormat(RasterFormat::Pdf));
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 1125 5467.5 ]"), std::string::npos);
  EXPECT_EQ(count(pdf, "/Type /Page "), 1u);  // and one /Type /Pages
}

TEST(RasterTest, ThreadsDrawTheSamePictures) {
  const std::string svg = sampleSvg();
  const std::string png = render(svg, {});
  const std::string pdf = render(svg, {.format = RasterFormat::Pdf,
                                       .documentDate = 1700000000});
  std::vector<std::string> pictures(4);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < pictures.size(); ++k) {
    threads.emplace_back([&, k] {
      RasterOptions options;
      if (k % 2) {
        options.format = RasterFormat::Pdf;
        options.documentDate = 1700000000;
      }
      if (!renderSvgToBytes(svg, options, pictures[k]).ok()) {
        pictures[k] = "failed";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t k = 0; k < pictures.size(); ++k) {
    EXPECT_EQ(pictures[k], k % 2 ? pdf : png) << k;
  }
}

TEST(RasterTest, ScaleOutsideItsRangeIsRefused) {
  const double scales[] = {0.24, 16.01, 0,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()};
  for (double scale : scales) {
    std::string out;
    EXPECT_EQ(reasonOf(renderSvgToBytes(sampleSvg(), pngAt(scale), out)),
              "the scale must be from 0.25 to 16")
        << scale;
    EXPECT_TRUE(out.empty());
  }
}

TEST(RasterTest, FailuresComeBackAsReasons) {
  const struct {
    const char* svg;
    double scale;
    const char* reasonStart;
  } cases[] = {
      {"", 1, "the SVG cannot be read for drawing ("},
      {"<svg xmlns='http://www.w3.org/2000/svg'", 1,
       "the SVG cannot be read for drawing ("},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='100%'/>", 1,
       "the SVG gives no width and height in pixels"},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='2100' height='10'/>",
       16, "the picture would be 33600 x 160 pixels, more than the 32767"},
  };
  for (const auto& c : cases) {
    std::string out = "old";
    const std::string reason =
        reasonOf(renderSvgToBytes(c.svg, pngAt(c.scale), out));
    EXPECT_EQ(reason.rfind(c.reasonStart, 0), 0u) << reason;
    EXPECT_TRUE(out.empty());
  }
}

// Accepts the first `room` bytes, then fails like a full disk.
class ShortSink : public ByteSink {
 public:
  explicit ShortSink(size_t room) : room_(room) {}
  Status write(std::string_view bytes) override {
    if (bytes.size() > room_) return Status::error(u"No space left on device");
    room_ -= bytes.size();
    return Status();
  }

 private:
  size_t room_;
};

TEST(RasterTest, SinkFailureStopsTheDrawingWithItsReason) {
  for (RasterFormat format : {RasterFormat::Png, RasterFormat::Pdf}) {
    for (size_t room : {size_t{0}, size_t{100}, size_t{5000}}) {
      ShortSink sink(room);
      EXPECT_EQ(reasonOf(renderSvg(sampleSvg(), inFormat(format), sink)),
                "No space left on device")
          << room;
    }
  }
}

TEST(RasterTest, MissingLibraryIsNamed) {
  RasterLibraries libraries{};
  RasterLibraryNames names;
  names.cairo = "libflowsvg-no-such-cairo.so.9";
  const std::string reason = reasonOf(openRasterLibraries(names, libraries));
  EXPECT_EQ(reason.rfind("PNG and PDF output need "
                         "libflowsvg-no-such-cairo.so.9, which cannot be "
                         "loaded (",
                         0),
            0u)
      << reason;
}

TEST(RasterTest, MissingFontIsNamed) {
  Status status;
  const RasterLibraries* libraries = rasterLibraries(status);
  ASSERT_NE(libraries, nullptr) << encodeUtf8(status.reason());
  const std::string empty =
      (std::filesystem::temp_directory_path() / "flowsvg-raster-no-fonts")
          .string();
  std::filesystem::create_directories(empty);
  const std::string reason = reasonOf(useRenderingFonts(*libraries, empty));
  std::filesystem::remove(empty);
  EXPECT_EQ(reason,
            "PNG and PDF output need the font Liberation Sans, which is not "
            "installed (" + empty + "/LiberationSans-Regular.ttf is missing)");
}

TEST(RasterTest, FontConfigurationPutsLiberationSansFirst) {
  const std::string xml =
      renderingFontConfiguration("/fonts/a&b");
  EXPECT_NE(xml.find("<dir>/fonts/a&amp;b</dir>"), std::string::npos);
  EXPECT_NE(xml.find("<acceptfont><glob>/fonts/a&amp;b/*</glob>"),
            std::string::npos);
  EXPECT_NE(xml.find("mode=\"prepend_first\" binding=\"strong\">"
                     "<string>Liberation Sans</string>"),
            std::string::npos);
}

}  // namespace
