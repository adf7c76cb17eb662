// What every fuzz harness uses to stop on a broken property: a failed check
// prints what was expected and what came out, then aborts, which libFuzzer
// records as a finding with the input that caused it.
#ifndef FLOWSVG_FUZZ_FUZZ_CHECK_H_
#define FLOWSVG_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/strings.h"

// A text written with its code units in hex where they are not printable
// ASCII, for failure messages.
inline std::string showText(TextView text) {
  std::string out = "\"";
  for (char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F && unit != u'\\') {
      out.push_back(static_cast<char>(unit));
    } else {
      char hex[12];
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(unit));
      out += hex;
    }
  }
  return out + "\"";
}

[[noreturn]] inline void fuzzFailure(const char* what,
                                     const std::string& detail) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n%s\n", what, detail.c_str());
  std::abort();
}

// Stops the run when the condition is false; detail is only built then.
#define FUZZ_CHECK(condition, what, detail)          \
  do {                                               \
    if (!(condition)) fuzzFailure((what), (detail)); \
  } while (0)

#endif  // FLOWSVG_FUZZ_FUZZ_CHECK_H_
