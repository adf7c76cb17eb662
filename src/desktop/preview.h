// The window's live preview of one description: the preview server
// (serve/preview_server.h) for it on the loopback interface, and a watch of
// its folder (platform/watch.h), both on threads of their own.
//
// Each save of the description the watch sees is sent to the pages at once
// and handed to the window as an InputSaved event (Toolkit::postEvent); the
// window converts it on its own thread, as Generate does. A watch that
// breaks is handed over as a PreviewFailed event, and the preview stops
// watching (the pages are still served).
//
// The shell (shell.h) uses this interface only; the window's one is
// ServedPreview (served_preview.h), the shell's tests use a recording one.
#ifndef FLOWSVG_DESKTOP_PREVIEW_H_
#define FLOWSVG_DESKTOP_PREVIEW_H_

#include "base/status.h"
#include "base/strings.h"

class Preview {
 public:
  virtual ~Preview() = default;

  // Previews the description at input: starts serving it, or, when a
  // preview runs already, moves it to input (the same address then serves
  // input, and its pages are told of the change). *address is the page's
  // address, key included. On failure, with the reason, nothing is
  // previewed any more.
  virtual Status show(const Text& input, Text* address) = 0;

  // Whether a preview runs.
  virtual bool running() const = 0;

  // Stops serving and watching, and waits for both threads to end; does
  // nothing when no preview runs.
  virtual void stop() = 0;
};

#endif  // FLOWSVG_DESKTOP_PREVIEW_H_
