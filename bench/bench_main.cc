// The benchmark program. Besides the usual Google Benchmark flags it takes,
// alone, one of these, which write a description file and exit (bench/run.sh
// times the flowsvg command on them):
//   --write-largest PATH          the largest description
//   --write-large SHAPE MB PATH   a file of MB megabytes in the SHAPE of the
//                                 reading benchmarks: one-line,
//                                 one-line-utf8 or comment-lines
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "descriptions.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-largest") == 0) {
    if (writeFileBytes(argv[2], largestDescription())) return 0;
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "--write-large") == 0) {
    const std::string shape = argv[2];
    const LargeShape which = shape == "one-line" ? LargeShape::OneLine
                             : shape == "one-line-utf8"
                                 ? LargeShape::OneLineUtf8
                                 : LargeShape::CommentLines;
    writeLargeDescription(argv[4], which,
                          static_cast<size_t>(std::atoll(argv[3])) << 20);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  removeBenchFolder();
  return 0;
}
