// Draws an SVG file as PNG or PDF with the program's renderer, for the
// end-to-end tests and the benchmarks:
//   flowsvg_raster_tool SVG OUT png|pdf [SCALE]
// SOURCE_DATE_EPOCH, when set, dates the PDF. Exit 0 when written, 1 with
// the reason on standard error otherwise.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "base/utf8.h"
#include "raster/raster.h"

namespace {

class FileSink : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  Status write(std::string_view bytes) override {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      return Status::error(u"cannot write the output file");
    }
    return Status();
  }

 private:
  std::FILE* file_;
};

int fail(const std::string& message) {
  std::fprintf(stderr, "flowsvg_raster_tool: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    return fail("usage: flowsvg_raster_tool SVG OUT png|pdf [SCALE]");
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) return fail(std::string("cannot read ") + argv[1]);
  const std::string svg(std::istreambuf_iterator<char>(in), {});
  RasterOptions options;
  const std::string format = argv[3];
  if (format == "pdf") {
    options.format = RasterFormat::Pdf;
  } else if (format != "png") {
    return fail("the format is png or pdf");
  }
  if (argc == 5) options.scale = std::strtod(argv[4], nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    options.documentDate = std::strtoll(epoch, nullptr, 10);
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(
      std::fopen(argv[2], "wb"), std::fclose);
  if (!out) return fail(std::string("cannot create ") + argv[2]);
  FileSink sink(out.get());
  const Status status = renderSvg(svg, options, sink);
  if (!status.ok()) {
    return fail(status.isOutOfMemory() ? std::string("out of memory")
                                       : encodeUtf8(status.reason()));
  }
  if (std::fclose(out.release()) != 0) return fail("cannot close the output");
  return 0;
}
