// Description files for the benchmarks: the bundled example, the largest
// description the format allows, and large files for the reading
// benchmarks, written into one temporary folder that is removed at exit.
#ifndef FLOWSVG_BENCH_DESCRIPTIONS_H_
#define FLOWSVG_BENCH_DESCRIPTIONS_H_

#include <cstddef>
#include <string>

#include "base/reporter.h"

// The bytes of examples/sample_flowchart.txt; empty when it cannot be read.
std::string exampleDescription();

// The largest description: a header, a six-line summary, then 100 items in
// 20 sections of 5, each with a title, 10 parent ids naming other items and
// 15 content pairs with 40-character values. The summary comes first
// because reading stops at the 100th itemid line, so the last item keeps
// only its id.
std::string largestDescription();

// The shapes of the large files that show reading takes time linear in the
// size of the file.
enum class LargeShape {
  OneLine,       // one key line of plain ASCII
  OneLineUtf8,   // one key line of two-byte UTF-8 characters
  CommentLines,  // 80-byte comment lines
};

// Writes a file of about `bytes` bytes in the given shape.
void writeLargeDescription(const std::string& path, LargeShape shape,
                           size_t bytes);

// A path in the benchmarks' temporary folder (made on first use).
std::string benchPath(const std::string& name);

// Removes the temporary folder and everything in it.
void removeBenchFolder();

// Writes bytes to path; false when that fails.
bool writeFileBytes(const std::string& path, const std::string& bytes);

// Ignores the messages of the parser and the writer.
class SilentReporter : public Reporter {
 public:
  void reportError(TextView, TextView, TextView) override {}
};

#endif  // FLOWSVG_BENCH_DESCRIPTIONS_H_
