// A preview of one description file: the preview server (preview_server.h)
// with the browser page of this build (preview_page.h), reading and writing
// that file, for flowsvg --serve and the window's Preview.
//
// The session only serves. Converting the description into its SVG on every
// save is the caller's watch (flowsvg --serve, the window), which also tells
// the session of each save (descriptionSaved), so that every open page hears
// of it and redraws. A save made in a page goes through the program's safe
// replacement (createReplacement: owner, mode, ACL kept, crash-safe); the
// caller's watch sees it as any other save.
//
// Usage:
//   PreviewSession preview;
//   Status started = preview.start(inputPath);       // or start(path, port)
//   if (started.ok()) show(preview.address());        // the address to open
//   ... on each save of the input: preview.descriptionSaved();
//   ... another input chosen: preview.moveTo(otherPath);
//   preview.stop();                                   // or let it go
//
// start fails with wording::ServeUnavailable where the build has no page,
// else as PreviewServer::start fails (the port taken, say), with the reason.
// Every member may be called from any one thread; descriptionSaved and
// moveTo also from another thread than start and stop (a watch's own).
#ifndef FLOWSVG_SERVE_PREVIEW_SESSION_H_
#define FLOWSVG_SERVE_PREVIEW_SESSION_H_

#include <cstdint>
#include <memory>

#include "base/status.h"
#include "base/strings.h"
#include "serve/preview_server.h"

class PreviewSession {
 public:
  PreviewSession();
  // Stops serving if it still does.
  ~PreviewSession();
  PreviewSession(const PreviewSession&) = delete;
  PreviewSession& operator=(const PreviewSession&) = delete;

  // Serves the description at path (as the programs name files) on port,
  // 0 for a free one. A session serves once: start again after stop fails.
  Status start(const Text& description, uint16_t port = 0);

  // The address to open once started:
  // "http://127.0.0.1:PORT/#key=KEY" (the key in the fragment only, so that
  // the browser sends it to no server and in no Referer). Empty before.
  Text address() const;
  uint16_t port() const;

  // The description at the path served may have changed on disk: every
  // page is told when its bytes did.
  void descriptionSaved();

  // Serves another description from now on, at the same address: every
  // page shows it at once.
  void moveTo(const Text& description);

  // Closes every connection and stops listening; waits for that.
  void stop();

  // The path served now, shared with the server's thread.
  struct Served;

 private:
  std::shared_ptr<Served> served_;
  PreviewServer server_;
  bool started_ = false;
};

#endif  // FLOWSVG_SERVE_PREVIEW_SESSION_H_
