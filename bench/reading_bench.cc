// Reading large description files: 1, 10 and 100 MB in three shapes (one
// ASCII line, one line of two-byte UTF-8 characters, 80-byte comment lines),
// each parsed whole by parseDescription. The time per byte stays the same
// from 1 to 100 MB when reading is linear in the size of the file; the
// benchmark library fits the times to O(N) and reports how well they fit.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "descriptions.h"
#include "model/flowchart.h"
#include "files/description_files.h"
#include "model/parser.h"
#include "platform/paths.h"

namespace {

constexpr int64_t kMegabyte = 1 << 20;

void BM_ReadLarge(benchmark::State& state, LargeShape shape, const char* name) {
  const int64_t megabytes = state.range(0);
  std::string path =
      benchPath(std::string(name) + "-" + std::to_string(megabytes) + "MB.txt");
  Text textPath(path.begin(), path.end());
  if (fileSizeOf(textPath) < 0) {
    writeLargeDescription(path, shape,
                          static_cast<size_t>(megabytes * kMegabyte));
  }
  const int64_t bytes = fileSizeOf(textPath);
  auto chart = std::make_unique<Flowchart>();
  SilentReporter reporter;
  for (auto _ : state) {
    if (!parseDescription(*chart, textPath, reporter).ok()) {
      state.SkipWithError("the file could not be read");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetComplexityN(bytes);
}

}  // namespace

BENCHMARK_CAPTURE(BM_ReadLarge, one_line, LargeShape::OneLine, "one-line")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ReadLarge, one_line_utf8, LargeShape::OneLineUtf8,
                  "one-line-utf8")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ReadLarge, comment_lines, LargeShape::CommentLines,
                  "comment-lines")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
