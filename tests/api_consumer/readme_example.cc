// The ten-line program of the README, built with pkg-config.
#include <flowsvg/flowsvg.h>

#include <iostream>

int main() {
  const flowsvg::Result result = flowsvg::convert(
      flowsvg::sampleDescription(), {"2026-12-10 09:30:00"});
  for (const flowsvg::Warning& w : result.warnings)
    std::cerr << "sample.txt:" << w.line << ": warning: " << w.message << '\n';
  std::cout << result.svg;
  return result.error.empty() ? 0 : 1;
}
