// Benchmarks of one conversion, for the bundled example and for the largest
// description: parsing the file, the layout, writing the SVG, and the three
// together as the flowsvg command runs them (the file read in one go and
// parsed, then the SVG made in memory and replacing the output file), and
// the library's flowsvg::convert from bytes in memory to bytes in memory.
//
// writeSvg lays the chart out before it writes, so "Write" includes one
// layout pass; "Layout" shows what that pass costs on its own.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "descriptions.h"
#include "model/flowchart.h"
#include "flowsvg/flowsvg.h"
#include "platform/description_files.h"
#include "render/layout.h"
#include "render/svg_document.h"
#include "base/calendar.h"
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
  if (!readDescriptionFile(*chart, descriptionPath(input), reporter).ok() ||
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
    (void)readDescriptionFile(*chart, path, reporter);
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
    writeSvgToFile(*chart, file, generated);
    closeFile(file);
  }
}

void BM_Convert(benchmark::State& state, Input input) {
  auto chart = parsedChart(input, state);
  Text in = descriptionPath(input);
  Text out = outputPath();
  SilentReporter reporter;
  for (auto _ : state) {
    (void)readDescriptionFile(*chart, in, reporter);
    (void)writeSvgFile(*chart, out, reporter);
  }
  state.counters["svg_bytes"] = static_cast<double>(fileSizeOf(out));
}

// The library's conversion of the description's bytes, in memory.
void BM_Api(benchmark::State& state, Input input) {
  const std::string bytes = input == Input::Example ? exampleDescription()
                                                    : largestDescription();
  const flowsvg::Options options{"2025-01-02 03:04:05"};
  size_t svgBytes = 0;
  for (auto _ : state) {
    const flowsvg::Result result = flowsvg::convert(bytes, options);
    svgBytes = result.svg.size();
    benchmark::DoNotOptimize(result.svg.data());
  }
  state.counters["svg_bytes"] = static_cast<double>(svgBytes);
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
BENCHMARK_CAPTURE(BM_Api, example, Input::Example)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Api, largest, Input::Largest)
    ->Unit(benchmark::kMicrosecond);
