// Uses an installed flowsvg core. Checks that
//   - the sample description converted with a fixed timestamp gives the
//     same bytes as the flowsvg program (SVG_FILE), and the same warnings
//     as it printed (WARNINGS_FILE, its lines "sample.txt:LINE: warning: ");
//   - eight different descriptions converted on eight threads at once give
//     the same bytes and warnings as converted one at a time;
//   - a malformed timestamp is an error, not a drawing.
// Usage: api_consumer TIMESTAMP SVG_FILE WARNINGS_FILE
#include <flowsvg/flowsvg.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
  if (!ok) {
    std::cerr << "FAIL: " << what << '\n';
    ++failures;
  }
}

std::string fileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The lines the command line printed for warnings, as the result gives them.
std::string warningLines(const flowsvg::Result& result) {
  std::string lines;
  for (const flowsvg::Warning& w : result.warnings) {
    lines += "sample.txt:" + std::to_string(w.line) + ": warning: " +
             w.message + "\n";
  }
  return lines;
}

// The same text in UTF-16 little-endian with its byte-order mark (ASCII
// text only).
std::string utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// Eight descriptions unlike each other: the sample, the sample as UTF-16,
// an empty file, a chart of many boxes and connectors, lines with warnings,
// a header and summary only, a chart with long texts cut, and stray bytes.
std::vector<std::string> eightDescriptions() {
  const std::string sample = flowsvg::sampleDescription();
  std::string many = "[Header]\nsubtitle = many boxes\n";
  for (int i = 1; i <= 90; ++i) {
    many += "[Band" + std::to_string(i % 7) + ".part]\nitemid = " +
            std::to_string(i) + "\nfromid = " + std::to_string(i / 2) +
            "," + std::to_string(i / 3) + "\ntitle = Step " +
            std::to_string(i) + "\nOwner = team " + std::to_string(i % 5) +
            "\n";
  }
  return {
      sample,
      utf16("[Header]\r\nsubtitle = from UTF-16\r\n[A.b]\r\nitemid = 1\r\n"
            "title = one\r\n"),
      "",
      many,
      "stray line\n[Heaedr]\nsubtitel = x\n[A.b]\nfromid = 9\nitemid = x\n",
      "[Header]\ncompany = ACME\n[Summary]\ntext = one|two\\nthree\n",
      "[A.b]\nitemid = 1\ntitle = " + std::string(200, 'W') +
          "\nNote = " + std::string(300, 'n') + "\n",
      "[A.b]\nitemid = 1\ntitle = \x80\xFF\xC3 bytes\x01\n\0after nul\n",
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: api_consumer TIMESTAMP SVG_FILE WARNINGS_FILE\n";
    return 2;
  }
  const flowsvg::Options options{argv[1]};

  const flowsvg::Result sample =
      flowsvg::convert(flowsvg::sampleDescription(), options);
  check(sample.error.empty(), "the sample converts: " + sample.error);
  check(sample.svg == fileBytes(argv[2]),
        "the sample's SVG is the bytes flowsvg wrote");
  check(warningLines(sample) == fileBytes(argv[3]),
        "the sample's warnings are those flowsvg printed:\n" +
            warningLines(sample));
  check(sample.sections == 1 && sample.items == 4,
        "the sample has one band of four items");

  const std::vector<std::string> descriptions = eightDescriptions();
  std::vector<flowsvg::Result> alone;
  for (const std::string& d : descriptions) {
    alone.push_back(flowsvg::convert(d, options));
  }
  // Each thread converts its description many times while the others do.
  constexpr int kRounds = 25;
  std::vector<int> same(descriptions.size(), 0);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < descriptions.size(); ++k) {
    threads.emplace_back([&, k] {
      for (int round = 0; round < kRounds; ++round) {
        const flowsvg::Result r = flowsvg::convert(descriptions[k], options);
        const bool equal = r.svg == alone[k].svg &&
                           warningLines(r) == warningLines(alone[k]) &&
                           r.sections == alone[k].sections &&
                           r.items == alone[k].items && r.error.empty();
        if (equal) ++same[k];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (size_t k = 0; k < descriptions.size(); ++k) {
    check(!alone[k].svg.empty(), "description " + std::to_string(k) +
                                     " gives a drawing");
    check(same[k] == kRounds, "description " + std::to_string(k) +
                                  " gives the same bytes on its thread");
    for (size_t j = 0; j < k; ++j) {
      check(alone[k].svg != alone[j].svg,
            "descriptions " + std::to_string(j) + " and " +
                std::to_string(k) + " give different drawings");
    }
  }
  check(!alone[4].warnings.empty(), "the lines with warnings warn");

  for (const char* bad : {"2026-02-30 10:00:00", "2026-12-10", "2026-12-10T09:30:00",
                          "1600-01-01 00:00:00", "2026-12-10 24:00:00"}) {
    const flowsvg::Result r = flowsvg::convert("", {bad});
    check(!r.error.empty() && r.svg.empty() && !r.outOfMemory,
          std::string("the timestamp \"") + bad + "\" is refused");
  }
  const flowsvg::Result now = flowsvg::convert(flowsvg::sampleDescription());
  check(now.error.empty() && now.svg.size() == sample.svg.size(),
        "without a timestamp the drawing has the present time");

  if (failures == 0) std::cout << "api_consumer: all checks passed\n";
  return failures == 0 ? 0 : 1;
}
