// The outcome of an operation that can fail: ok, or the reason it failed,
// as a text to show after the caption of the failure ("No such file or
// directory", "it is the input file").
//
// Memory running out is a failure of its own kind, with no text: the code
// that knows the system's words for it (platform/system_error.h) gives
// them when the failure is shown, so the core needs no system call.
#ifndef FLOWSVG_BASE_STATUS_H_
#define FLOWSVG_BASE_STATUS_H_

#include <utility>

#include "base/strings.h"

class [[nodiscard]] Status {
 public:
  // Ok.
  Status() = default;
  static Status error(Text reason) {
    Status status;
    status.failed_ = true;
    status.reason_ = std::move(reason);
    return status;
  }
  static Status outOfMemory() {
    Status status;
    status.failed_ = true;
    status.outOfMemory_ = true;
    return status;
  }

  bool ok() const { return !failed_; }
  bool isOutOfMemory() const { return outOfMemory_; }
  // Empty when ok, and for memory running out.
  const Text& reason() const { return reason_; }

 private:
  bool failed_ = false;
  bool outOfMemory_ = false;
  Text reason_;
};

#endif  // FLOWSVG_BASE_STATUS_H_
