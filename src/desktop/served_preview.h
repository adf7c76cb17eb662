// The window's Preview for real: a PreviewSession (serve/preview_session.h)
// serving the description, and a watch of its folder (platform/watch.h) on a
// thread of its own that tells the session and the window (an InputSaved
// event posted through the toolkit) of every save. The watch leaves the
// ending signals to the program; stop and a move end it with
// interruptWatch and wait for its thread.
//
// Everything but the watch's thread runs on the window's thread.
#ifndef FLOWSVG_DESKTOP_SERVED_PREVIEW_H_
#define FLOWSVG_DESKTOP_SERVED_PREVIEW_H_

#include <memory>
#include <thread>

#include "desktop/preview.h"
#include "desktop/toolkit.h"
#include "platform/watch.h"
#include "serve/preview_session.h"

class ServedPreview : public Preview {
 public:
  // toolkit receives the events; it outlives the preview's threads (the
  // shell stops the preview before it closes the window).
  explicit ServedPreview(Toolkit& toolkit) : toolkit_(toolkit) {}
  ~ServedPreview() override { stop(); }
  ServedPreview(const ServedPreview&) = delete;
  ServedPreview& operator=(const ServedPreview&) = delete;

  Status show(const Text& input, Text* address) override;
  bool running() const override { return session_ != nullptr; }
  void stop() override;

 private:
  // Starts watching input's folder on the watch's thread.
  Status startWatching(const Text& input);
  // Ends the watch and waits for its thread; nothing when none runs.
  void stopWatching();

  Toolkit& toolkit_;
  std::unique_ptr<PreviewSession> session_;
  DescriptionWatch* watch_ = nullptr;
  std::thread watcher_;
};

#endif  // FLOWSVG_DESKTOP_SERVED_PREVIEW_H_
