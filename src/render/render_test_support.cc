#include "render/render_test_support.h"

#include <cstdlib>

#include "model/parser.h"
#include "base/utf8.h"

std::unique_ptr<Flowchart> newChart() { return std::make_unique<Flowchart>(); }

void readChart(Flowchart& chart, const std::string& description) {
  static_cast<void>(readDescription(chart, description));
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

std::string capture(const std::function<void(LineBuffer&)>& write) {
  LineBuffer out;
  write(out);
  return out.take();
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
    const std::function<void(LineBuffer&)>& write) {
  return crlfLines(capture(write));
}

#ifndef _WIN32
bool wellFormedXml(const std::string& bytes) {
  std::string folder = makeTempFolder();
  std::string path = folder + "/document.svg";
  writeBytes(path, bytes);
  int status = std::system(("xmllint --noout " + path).c_str());
  removeTree(folder);
  return status == 0;
}
#endif

std::string utf8(const Text& text) { return encodeUtf8(text); }
