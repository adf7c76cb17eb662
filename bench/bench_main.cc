// The benchmark program. Besides the usual Google Benchmark flags it takes
//   --write-largest PATH
// alone, which writes the largest description to PATH and exits; bench/run.sh
// converts that file with the flowsvg command to time the whole process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "descriptions.h"
#include "render/connectors.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-largest") == 0) {
    if (writeFileBytes(argv[2], largestDescription())) return 0;
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  initPalette();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  removeBenchFolder();
  return 0;
}
