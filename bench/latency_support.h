// What the latency benchmarks (watch_latency, preview_latency) share: a
// monotonic clock in microseconds, writing a file's bytes, and the line of
// median, minimum and maximum they print.
#ifndef FLOWSVG_BENCH_LATENCY_SUPPORT_H_
#define FLOWSVG_BENCH_LATENCY_SUPPORT_H_

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

inline double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

inline bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

// Prints "[LABEL ]MEDIAN MIN MAX" in microseconds; label may be empty.
inline void printMedianMinMax(const std::string& label,
                              std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  std::printf("%s%s%.1f %.1f %.1f\n", label.c_str(), label.empty() ? "" : " ",
              micros[micros.size() / 2], micros.front(), micros.back());
}

#endif  // FLOWSVG_BENCH_LATENCY_SUPPORT_H_
