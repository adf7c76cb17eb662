// Helpers shared by the renderer tests: charts built from description text,
// written output captured as lines, XML checks. The helpers of every layer
// come with testing/test_support.h.
#ifndef FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_
#define FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/flowchart.h"
#include "testing/test_support.h"
#include "base/reporter.h"
#include "base/line_buffer.h"

// A fresh, empty chart on the heap (a Flowchart is large).
std::unique_ptr<Flowchart> newChart();

// Reads the description text (UTF-8) into chart, as a file would be read.
void readChart(Flowchart& chart, const std::string& description);

// Adds an item by hand with the given layout fields, for connector tests.
// Returns its slot.
int32_t placeItem(Flowchart& chart, int32_t itemid, int32_t x, int32_t y,
                  int32_t height, int32_t column, int32_t sectionno);

// Runs write on a new file and returns the bytes it wrote.
std::string capture(const std::function<void(LineBuffer&)>& write);

// The CR LF terminated lines of bytes (UTF-8, without their CR LF). A last
// line without its CR LF, or any lone CR or LF, adds the marker line
// "<missing or bad line end>" so that a comparison shows it.
std::vector<std::string> crlfLines(const std::string& bytes);

// The lines write produces, as crlfLines gives them.
std::vector<std::string> captureLines(
    const std::function<void(LineBuffer&)>& write);

// 1 when xmllint parses bytes as a well-formed XML document; its complaints
// go to standard error.
#ifndef _WIN32
bool wellFormedXml(const std::string& bytes);
#endif

// UTF-8 of a text, for comparing with captured lines.
std::string utf8(const Text& text);

#endif  // FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_
