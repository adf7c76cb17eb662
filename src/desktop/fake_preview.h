// A recording Preview for the shell's tests: it serves nothing and watches
// nothing, and writes one line per call into the log it is given (the
// FakeToolkit's, so that the order of both is seen): "preview show:
// <input>" and "preview stop" (only when one runs). Its addresses are
// "http://127.0.0.1:<port>/#key=<n>", a new port for each start and the
// same one while it runs; the reasons in failures, in order, make show
// fail.
#ifndef FLOWSVG_DESKTOP_FAKE_PREVIEW_H_
#define FLOWSVG_DESKTOP_FAKE_PREVIEW_H_

#include <deque>
#include <vector>

#include "base/strings.h"
#include "desktop/preview.h"

class FakePreview : public Preview {
 public:
  explicit FakePreview(std::vector<Text>& log) : log_(log) {}

  // Script.
  std::deque<Text> failures;
  // Record.
  std::vector<Text> shown;  // the inputs previewed, in order
  int32_t starts = 0;

  Status show(const Text& input, Text* address) override {
    log_.push_back(u"preview show: " + input);
    if (!failures.empty()) {
      const Text reason = failures.front();
      failures.pop_front();
      running_ = false;
      return Status::error(reason);
    }
    if (!running_) ++starts;
    running_ = true;
    shown.push_back(input);
    *address = u"http://127.0.0.1:" + formatInteger(8000 + starts) +
               u"/#key=" + formatInteger(starts);
    return Status();
  }
  bool running() const override { return running_; }
  void stop() override {
    if (!running_) return;
    log_.push_back(u"preview stop");
    running_ = false;
  }

 private:
  std::vector<Text>& log_;
  bool running_ = false;
};

#endif  // FLOWSVG_DESKTOP_FAKE_PREVIEW_H_
