#include "desktop/served_preview.h"

#include <new>
#include <system_error>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "base/path_text.h"

Status ServedPreview::show(const Text& input, Text* address) {
  if (session_ == nullptr) {
    session_.reset(new (std::nothrow) PreviewSession);
    if (session_ == nullptr) return Status::outOfMemory();
    const Status started = session_->start(input);
    if (!started.ok()) {
      session_.reset();
      return started;
    }
  } else {
    // The pages stay at their address and show the other description.
    stopWatching();
    session_->moveTo(input);
  }
  const Status watching = startWatching(input);
  if (!watching.ok()) {
    stop();
    return watching;
  }
  *address = session_->address();
  return Status();
}

void ServedPreview::stop() {
  stopWatching();
  if (session_ == nullptr) return;
  session_->stop();
  session_.reset();
}

Status ServedPreview::startWatching(const Text& input) {
  Text folder;
  Text reason;
  DescriptionWatch* watch =
      startWatch({input}, &folder, &reason, WatchSignals::Left);
  if (watch == nullptr) {
    return Status::error(folder.empty() ? reason : folder + u": " + reason);
  }
  PreviewSession* session = session_.get();
  Toolkit* toolkit = &toolkit_;
  const Text watchedFolder = folderPart(input);
  try {
    watcher_ = std::thread([watch, session, toolkit, watchedFolder] {
      for (;;) {
        std::vector<char> changed;
        int signal = 0;
        Text why;
        const WatchResult result =
            waitForChanges(watch, &changed, &signal, &why);
        if (result == WatchResult::Changed) {
          // The pages first: they redraw from the description itself.
          session->descriptionSaved();
          toolkit->postEvent(ToolkitEvent::of(EventKind::InputSaved));
          continue;
        }
        if (result == WatchResult::Failed) {
          ToolkitEvent event = ToolkitEvent::of(EventKind::PreviewFailed);
          event.folder = watchedFolder;
          event.reason = why;
          toolkit->postEvent(std::move(event));
        }
        return;  // stopped, or broken
      }
    });
  } catch (const std::system_error& failure) {
    endWatch(watch);
    return Status::error(decodeUtf8(failure.code().message()));
  }
  watch_ = watch;
  return Status();
}

void ServedPreview::stopWatching() {
  if (watch_ == nullptr) return;
  interruptWatch(watch_);
  watcher_.join();
  endWatch(watch_);
  watch_ = nullptr;
}
