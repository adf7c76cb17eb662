// The outcome of an operation that can fail: ok, or failed with a reason.
//
// The reason is a text shown to people after a caption and the name of what
// failed: the system's words ("No such file or directory"), one of the
// wording file's ("it is the input file"), or empty when nothing more is
// known. Memory running out is a failure of its own kind, so that each layer
// can word it as its platform does (platform/system_error.h).
#ifndef FLOWSVG_BASE_STATUS_H_
#define FLOWSVG_BASE_STATUS_H_

#include <utility>

#include "base/strings.h"

class [[nodiscard]] Status {
 public:
  // Ok.
  Status() = default;

  static Status failure(Text reason) {
    Status status;
    status.ok_ = false;
    status.reason_ = std::move(reason);
    return status;
  }
  static Status outOfMemory() {
    Status status = failure(Text());
    status.outOfMemory_ = true;
    return status;
  }

  bool ok() const { return ok_; }
  // Whether the failure was memory running out (then reason() is empty).
  bool memoryRanOut() const { return outOfMemory_; }
  const Text& reason() const { return reason_; }

 private:
  bool ok_ = true;
  bool outOfMemory_ = false;
  Text reason_;
};

#endif  // FLOWSVG_BASE_STATUS_H_
