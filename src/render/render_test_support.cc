#include "render/render_test_support.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "model/parser.h"
#include "text/paths.h"
#include "text/utf8.h"

std::unique_ptr<Flowchart> newChart() { return std::make_unique<Flowchart>(); }

void readChart(Flowchart& chart, const std::string& description) {
  readDescription(chart, openBytes(description));
}

int32_t placeItem(Flowchart& chart, int32_t itemid, int32_t x, int32_t y,
                  int32_t height, int32_t column, int32_t sectionno) {
  int32_t slot = chart.itemcount++;
  FlowItem& item = chart.items[slot];
  item = FlowItem();
  item.itemid = itemid;
  item.x = x;
  item.y = y;
  item.height = height;
  item.column = column;
  item.sectionno = sectionno;
  return slot;
}

std::string makeTempFolder() {
  const char* base = getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
      "/flowsvg-render-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return std::string();
  return pattern;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string capture(const std::function<void(FileHandle)>& write) {
  std::string folder = makeTempFolder();
  std::string path = folder + "/out.svg";
  FileHandle file = createForWriting(textFromNativePath(path));
  if (file == nullptr) return std::string();
  write(file);
  closeFile(file);
  std::string bytes = readBytes(path);
  remove(path.c_str());
  remove(folder.c_str());
  return bytes;
}

std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t end = bytes.find("\r\n", begin);
    bool bad = end == std::string::npos;
    if (bad) end = bytes.size();
    std::string line = bytes.substr(begin, end - begin);
    bad = bad || line.find_first_of("\r\n") != std::string::npos;
    lines.push_back(line);
    if (bad) lines.push_back("<missing or bad line end>");
    begin = end + 2;
  }
  return lines;
}

std::vector<std::string> captureLines(
    const std::function<void(FileHandle)>& write) {
  return crlfLines(capture(write));
}

bool wellFormedXml(const std::string& bytes) {
  std::string folder = makeTempFolder();
  std::string path = folder + "/document.svg";
  writeBytes(path, bytes);
  int status = std::system(("xmllint --noout " + path).c_str());
  remove(path.c_str());
  remove(folder.c_str());
  return status == 0;
}

std::string utf8(const Text& text) { return encodeUtf8(text); }

void RecordingReporter::reportError(const Text& message) {
  messages.push_back(encodeUtf8(message));
}
