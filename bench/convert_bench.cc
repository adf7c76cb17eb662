// Benchmarks of one conversion, for the bundled example and for the largest
// description: parsing the file, the layout, writing the SVG, and the three
// together as the flowsvg command runs them (parseDescription, then
// generateSvg replacing the output file).
//
// writeSvg lays the chart out before it writes, so "Write" includes one
// layout pass; "Layout" shows what that pass costs on its own.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "descriptions.h"
#include "model/flowchart.h"
#include "files/description_files.h"
#include "model/parser.h"
#include "render/layout.h"
#include "render/svg_document.h"
#include "base/clock.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace {

enum class Input { Example, Largest };

// The description file of the input, written once into the bench folder.
Text descriptionPath(Input input) {
  std::string name = input == Input::Example ? "example.txt" : "largest.txt";
  std::string path = benchPath(name);
  static bool written[2] = {false, false};
  bool& done = written[input == Input::Example ? 0 : 1];
  if (!done) {
    writeFileBytes(path, input == Input::Example ? exampleDescription()
                                                 : largestDescription());
    done = true;
  }
  return Text(path.begin(), path.end());
}

Text outputPath() {
  std::string path = benchPath("out.svg");
  return Text(path.begin(), path.end());
}

// A chart filled from the input, checked to hold something.
std::unique_ptr<Flowchart> parsedChart(Input input, benchmark::State& state) {
  auto chart = std::make_unique<Flowchart>();
  SilentReporter reporter;
  if (!parseDescription(*chart, descriptionPath(input), reporter).ok() ||
      chart->itemcount == 0) {
    state.SkipWithError("the description could not be read");
  }
  return chart;
}

void BM_Parse(benchmark::State& state, Input input) {
  auto chart = parsedChart(input, state);
  Text path = descriptionPath(input);
  SilentReporter reporter;
  for (auto _ : state) {
    (void)parseDescription(*chart, path, reporter);
    benchmark::DoNotOptimize(chart->itemcount);
  }
  state.counters["items"] = chart->itemcount;
}

void BM_Layout(benchmark::State& state, Input input) {
  auto chart = parsedChart(input, state);
  for (auto _ : state) {
    CanvasSize canvas = layoutFlowchart(*chart);
    benchmark::DoNotOptimize(canvas);
  }
}

void BM_Write(benchmark::State& state, Input input) {
  auto chart = parsedChart(input, state);
  Text path = outputPath();
  Timestamp generated = timestampFromFields(2025, 1, 2, 3, 4, 5);
  for (auto _ : state) {
    FileHandle file = createForWriting(path);
    writeDrawing(*chart, file, generated);
    closeFile(file);
  }
}

void BM_Convert(benchmark::State& state, Input input) {
  auto chart = parsedChart(input, state);
  Text in = descriptionPath(input);
  Text out = outputPath();
  SilentReporter reporter;
  for (auto _ : state) {
    (void)parseDescription(*chart, in, reporter);
    (void)generateSvg(*chart, out, reporter);
  }
  state.counters["svg_bytes"] = static_cast<double>(fileSizeOf(out));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Parse, example, Input::Example)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Parse, largest, Input::Largest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Layout, example, Input::Example)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Layout, largest, Input::Largest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Write, example, Input::Example)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Write, largest, Input::Largest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Convert, example, Input::Example)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Convert, largest, Input::Largest)
    ->Unit(benchmark::kMicrosecond);
