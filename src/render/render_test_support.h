// Helpers shared by the renderer tests: charts built from description text,
// written output captured as lines, and a reporter that records messages.
#ifndef FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_
#define FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/flowchart.h"
#include "text/reporter.h"
#include "text/text_file.h"

// A fresh, empty chart on the heap (a Flowchart is large).
std::unique_ptr<Flowchart> newChart();

// Reads the description text (UTF-8) into chart, as a file would be read.
void readChart(Flowchart& chart, const std::string& description);

// Adds an item by hand with the given layout fields, for connector tests.
// Returns its slot.
int32_t placeItem(Flowchart& chart, int32_t itemid, int32_t x, int32_t y,
                  int32_t height, int32_t column, int32_t sectionno);

// A new empty folder under the system's temporary folder.
std::string makeTempFolder();

// Every byte of the file at path; empty when it cannot be read.
std::string readBytes(const std::string& path);

// Writes bytes to the file at path, replacing what was there.
void writeBytes(const std::string& path, const std::string& bytes);

// Names in the folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// Runs write on a new file and returns the bytes it wrote.
std::string capture(const std::function<void(FileHandle)>& write);

// The CR LF terminated lines of bytes (UTF-8, without their CR LF). A last
// line without its CR LF, or any lone CR or LF, adds the marker line
// "<missing or bad line end>" so that a comparison shows it.
std::vector<std::string> crlfLines(const std::string& bytes);

// The lines write produces, as crlfLines gives them.
std::vector<std::string> captureLines(
    const std::function<void(FileHandle)>& write);

// 1 when xmllint parses bytes as a well-formed XML document; its complaints
// go to standard error.
bool wellFormedXml(const std::string& bytes);

// UTF-8 of a text, for comparing with captured lines.
std::string utf8(const Text& text);

class RecordingReporter : public Reporter {
 public:
  void reportError(const Text& message) override;
  std::vector<std::string> messages;  // UTF-8
};

#endif  // FLOWSVG_RENDER_RENDER_TEST_SUPPORT_H_
