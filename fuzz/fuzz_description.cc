// Fuzz target: any bytes as a description file, parsed, laid out and written
// as an SVG document, the way the converter does it.
//
// Checks: the model's invariants after parsing and after the layout
// (chart_checks.h); that the layout gives the same positions when run again;
// that the written document is well-formed XML by libxml2 (no network, no
// entity substitution, no DTD loading) with an <svg> root in the SVG
// namespace; and that it holds one box group per placed item, with the
// item's title as its text after escaping, one band per section and one
// connector per parent reference that names an existing item.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chart_checks.h"
#include "fuzz_check.h"
#include "model/diagnostics.h"
#include "model/parser.h"
#include "render/connectors.h"
#include "render/layout.h"
#include "render/svg_document.h"
#include "base/clock.h"
#include "base/line_buffer.h"
#include "base/line_reader.h"
#include "base/utf8.h"

namespace {

// The text as an XML parser hands it back from the document: characters
// XML 1.0 forbids (controls other than TAB, LF and CR; U+FFFE, U+FFFF) and
// unpaired surrogates as U+FFFD, line breaks as LF.
std::string asParsed(const Text& text) {
  Text shown;
  for (char16_t unit : text) {
    bool forbidden =
        (unit < 0x20 && unit != 0x09 && unit != 0x0A && unit != 0x0D) ||
        unit == 0xFFFE || unit == 0xFFFF;
    shown.push_back(forbidden ? u'\uFFFD' : unit);
  }
  shown = replaceAll(shown, u"\r\n", u"\n");
  shown = replaceAll(shown, u"\r", u"\n");
  return encodeUtf8(shown);
}

std::string attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string result = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return result;
}

bool named(xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

struct Drawn {
  int32_t bands = 0;
  int32_t connectors = 0;
  std::vector<std::string> titles;  // box titles in document order
};

void collect(xmlNode* node, Drawn& drawn) {
  for (; node != nullptr; node = node->next) {
    if (named(node, "g") && attribute(node, "class") == "section") {
      ++drawn.bands;
    }
    if (named(node, "path") && !attribute(node, "marker-end").empty()) {
      ++drawn.connectors;
    }
    if (named(node, "text") && attribute(node, "class") == "node-title") {
      xmlChar* content = xmlNodeGetContent(node);
      drawn.titles.emplace_back(reinterpret_cast<const char*>(content));
      xmlFree(content);
    }
    collect(node->children, drawn);
  }
}

int32_t expectedConnectors(const Flowchart& chart) {
  int32_t count = 0;
  for (int32_t c = 0; c < chart.itemcount; ++c) {
    const FlowItem& child = chart.items[c];
    for (int32_t j = 0; j < child.parentcount; ++j) {
      int32_t id = child.parents[j];
      for (int32_t p = 0; id > 0 && p < chart.itemcount; ++p) {
        if (chart.items[p].itemid == id) {
          ++count;
          break;
        }
      }
    }
  }
  return count;
}

void checkDocument(const std::string& svg, const Flowchart& chart) {
  xmlDoc* doc = xmlReadMemory(
      svg.data(), static_cast<int>(svg.size()), "flowchart.svg", nullptr,
      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    const xmlError* error = xmlGetLastError();
    FUZZ_CHECK(false, "SVG is well-formed XML",
               error && error->message ? "line " + std::to_string(error->line) +
                                             ": " + error->message
                                       : "no message");
  }
  xmlNode* root = xmlDocGetRootElement(doc);
  FUZZ_CHECK(root != nullptr && named(root, "svg") && root->ns != nullptr &&
                 std::strcmp(reinterpret_cast<const char*>(root->ns->href),
                             "http://www.w3.org/2000/svg") == 0,
             "root element is svg in the SVG namespace", "");
  Drawn drawn;
  collect(root, drawn);
  xmlFreeDoc(doc);

  std::vector<std::string> titles;
  for (int32_t b = 1; b <= chart.sectioncount; ++b) {
    for (int32_t i = 0; i < chart.itemcount; ++i) {
      if (chart.items[i].sectionno == b) {
        titles.push_back(asParsed(chart.items[i].title));
      }
    }
  }
  FUZZ_CHECK(drawn.bands == chart.sectioncount, "one band per section",
             std::to_string(drawn.bands));
  FUZZ_CHECK(drawn.titles.size() == titles.size(), "one box per placed item",
             std::to_string(drawn.titles.size()));
  for (size_t k = 0; k < titles.size(); ++k) {
    FUZZ_CHECK(drawn.titles[k] == titles[k], "box title survives escaping",
               "got " + drawn.titles[k] + "\nwant " + titles[k]);
  }
  FUZZ_CHECK(drawn.connectors == expectedConnectors(chart),
             "one connector per parent reference to an existing item",
             std::to_string(drawn.connectors));
}

// The document as the converter draws it, into memory.
std::string writeDocument(Flowchart& chart) {
  LineBuffer out;
  writeSvg(chart, out, timestampFromFields(2025, 6, 30, 12, 34, 56));
  return out.take();
}

// Every position and size the layout writes into the chart.
std::vector<int32_t> layoutFields(const Flowchart& chart) {
  std::vector<int32_t> fields;
  for (int32_t b = 0; b < chart.sectioncount; ++b) {
    fields.push_back(chart.sections[b].top);
    fields.push_back(chart.sections[b].height);
  }
  for (int32_t i = 0; i < chart.itemcount; ++i) {
    const FlowItem& item = chart.items[i];
    fields.insert(fields.end(),
                  {item.x, item.y, item.column, item.sectionno, item.height});
  }
  return fields;
}

void ignoreXmlMessage(void*, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  xmlSetGenericErrorFunc(nullptr, ignoreXmlMessage);
  return 0;
}

// Checks each warning: about a line the reader saw, and one line of text.
class CheckingSink : public DiagnosticsSink {
 public:
  explicit CheckingSink(int32_t lines) : lines_(lines) {}
  void warning(int32_t line, TextView text) override {
    FUZZ_CHECK(line >= 1 && line <= lines_, "a warning names a line read",
               std::to_string(line) + " of " + std::to_string(lines_));
    FUZZ_CHECK(!text.empty(), "a warning has a text", "");
    for (char16_t c : text) {
      FUZZ_CHECK(c >= 0x20 && c != 0x7F, "a warning is one line of text",
                 showText(Text(text)));
    }
  }

 private:
  int32_t lines_;
};

// The number of lines in bytes as the warnings number them: after a
// byte-order mark, a line per line break (a 0x00 byte starts none).
int32_t linesIn(const std::string& bytes) {
  LineReader reader(bytes);
  reader.takeByteOrderMark();
  int32_t lines = 0;
  bool afterNul = false;
  while (!reader.atEnd()) {
    reader.readLine();
    if (!afterNul || lines == 0) ++lines;
    afterNul = reader.lastLineEndedAtNul();
  }
  return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One chart for the whole run, as the converter keeps one: every parse
  // must empty what the previous input left.
  static const std::unique_ptr<Flowchart> chart = std::make_unique<Flowchart>();
  static const std::unique_ptr<Flowchart> heard = std::make_unique<Flowchart>();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(readDescription(*chart, bytes).ok(),
             "bytes in memory always read", "");
  checkParsedChart(*chart);
  // Listening to the warnings changes nothing in the drawing.
  CheckingSink sink(linesIn(bytes));
  FUZZ_CHECK(readDescription(*heard, bytes, &sink).ok(),
             "bytes in memory always read with a sink", "");

  std::string svg = writeDocument(*chart);
  FUZZ_CHECK(writeDocument(*heard) == svg,
             "the same drawing with or without a sink", "");
  std::vector<int32_t> placed = layoutFields(*chart);
  CanvasSize canvas = layoutFlowchart(*chart);
  FUZZ_CHECK(layoutFields(*chart) == placed,
             "the layout run again gives the same positions", "");
  checkLaidOutChart(*chart, canvas);
  checkDocument(svg, *chart);
  return 0;
}
