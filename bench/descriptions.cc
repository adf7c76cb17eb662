#include "descriptions.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Exactly `length` characters: the text, cut or padded with dots.
std::string fixedLength(std::string text, size_t length) {
  text.resize(length, '.');
  return text;
}

std::string& benchFolder() {
  static std::string folder;
  return folder;
}

}  // namespace

std::string exampleDescription() {
  std::ifstream in(FLOWSVG_SOURCE_DIR "/examples/sample_flowchart.txt",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string largestDescription() {
  constexpr int kItems = 100;
  constexpr int kSections = 20;
  std::string out =
      "[Header]\r\n"
      "subtitle = The largest description: 100 items in 20 sections\r\n"
      "company = Benchmark Works Ltd.\r\n"
      "\r\n[Summary]\r\ntext = ";
  for (int line = 1; line <= 6; ++line) {
    out += fixedLength("Summary line " + std::to_string(line) +
                           " of six, long enough to fill most of the panel",
                       80);
    out += line < 6 ? "|" : "\r\n";
  }
  for (int id = 1; id <= kItems; ++id) {
    int section = (id - 1) / (kItems / kSections) + 1;
    out += "\r\n[Stage" + std::to_string(section) + ".Steps]\r\n";
    out += "itemid = " + std::to_string(id) + "\r\n";
    out += "fromid = ";
    for (int k = 1; k <= 10; ++k) {
      // The ten items before this one, wrapping round to the last ones.
      out += std::to_string((id - 1 - k + kItems) % kItems + 1);
      out += k < 10 ? ", " : "\r\n";
    }
    out += "image = step" + std::to_string(id) + ".png\r\n";
    out += "title = Process step " + std::to_string(id) + "\r\n";
    for (int pair = 1; pair <= 15; ++pair) {
      out += "Key" + std::to_string(pair) + " = ";
      out += fixedLength("Value " + std::to_string(pair) + " of item " +
                             std::to_string(id) + " & <more> text",
                         40);
      out += "\r\n";
    }
  }
  return out;
}

void writeLargeDescription(const std::string& path, LargeShape shape,
                           size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string chunk;
  switch (shape) {
    case LargeShape::OneLine:
      out << "key = ";
      chunk.assign(1 << 16, 'v');
      break;
    case LargeShape::OneLineUtf8:
      out << "key = ";
      for (size_t k = 0; k < (1 << 15); ++k) chunk += "\xC3\xA9";  // e acute
      break;
    case LargeShape::CommentLines:
      for (size_t k = 0; k < 1024; ++k) {
        chunk += "# " + fixedLength("comment line " + std::to_string(k), 76) +
                 "\r\n";
      }
      break;
  }
  for (size_t written = 0; written < bytes; written += chunk.size()) {
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  }
}

std::string benchPath(const std::string& name) {
  std::string& folder = benchFolder();
  if (folder.empty()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "flowsvg-bench-XXXXXX")
            .string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    folder = pattern;
  }
  return folder + "/" + name;
}

void removeBenchFolder() {
  if (!benchFolder().empty()) std::filesystem::remove_all(benchFolder());
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}
