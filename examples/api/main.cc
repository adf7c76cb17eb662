// Uses the converter as a library.
//   flowsvg_api_example TIMESTAMP < plan.txt > plan.svg
//       draws a description, its warnings on standard error;
//   flowsvg_api_example --sample TIMESTAMP > sample.svg
//       draws the sample description;
//   flowsvg_api_example --threads
//       draws eight descriptions on eight threads at once, and tells whether
//       each drawing is the one it gets alone (exit 0) or not (exit 1).
#include <flowsvg/flowsvg.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

int draw(const std::string& description, const std::string& timestamp) {
  const flowsvg::Result result = flowsvg::convert(description, {timestamp});
  if (!result.error.empty()) {
    std::cerr << "flowsvg_api_example: " << result.error << "\n";
    return 1;
  }
  for (const flowsvg::Warning& w : result.warnings) {
    std::cerr << "-:" << w.line << ": warning: " << w.message << "\n";
  }
  std::cout << result.svg;
  return std::cout.flush() ? 0 : 1;
}

int drawOnThreads() {
  std::vector<std::string> descriptions;
  for (int k = 0; k < 8; ++k) {
    std::string text = flowsvg::sampleDescription();
    for (int i = 0; i <= k * 3; ++i) {
      text += "[Band" + std::to_string(i % 4) + ".Step" + std::to_string(i) +
              "]\nitemid = " + std::to_string(100 + i) +
              "\nfromid = " + std::to_string(99 + i) + ", 11\ntitle = Step " +
              std::to_string(i) + "\nNote = " + std::string(k * 9, 'x') + "\n";
    }
    descriptions.push_back(text);
  }
  const flowsvg::Options options{"2026-12-10 09:30:00"};
  std::vector<std::string> alone;
  for (const std::string& d : descriptions) {
    alone.push_back(flowsvg::convert(d, options).svg);
  }
  std::vector<std::string> together(descriptions.size());
  std::vector<std::thread> threads;
  for (size_t k = 0; k < descriptions.size(); ++k) {
    threads.emplace_back([&, k] {
      for (int round = 0; round < 50; ++round) {
        const std::string svg = flowsvg::convert(descriptions[k], options).svg;
        if (svg != alone[k]) return;
        together[k] = svg;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  int differ = 0;
  for (size_t k = 0; k < descriptions.size(); ++k) {
    if (together[k].empty() || together[k] != alone[k]) {
      std::cerr << "description " << k << ": a different drawing on a thread\n";
      ++differ;
    }
  }
  return differ == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--threads") return drawOnThreads();
  if (args.size() == 2 && args[0] == "--sample") {
    return draw(flowsvg::sampleDescription(), args[1]);
  }
  if (args.size() == 1) {
    const std::string description(std::istreambuf_iterator<char>(std::cin), {});
    return draw(description, args[0]);
  }
  std::cerr << "usage: flowsvg_api_example [--sample] TIMESTAMP | --threads\n";
  return 64;
}
