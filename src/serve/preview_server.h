// The preview server: the browser page, one description file's bytes and a
// stream of its changes, over HTTP on the loopback interface only, for
// flowsvg --serve and the window's Preview.
//
// What it answers (nothing else is served):
//   GET /             the page (bytes given by the caller)
//   GET /description  the description's bytes, with an ETag (a quoted hash
//                     of the bytes)
//   GET /events       a text/event-stream: an event "change" whose data is
//                     the description's ETag, first when the stream opens
//                     (so that a change between loading the description and
//                     listening is not missed), then after each change; a
//                     comment line every 15 s keeps it from ever being idle
//   PUT /description  with X-Flowsvg-Key: KEY and If-Match: ETAG writes the
//                     body through the caller's write function, answers 204
//                     with the new ETag and sends the change to every stream
// Refused: a Host other than 127.0.0.1:PORT, localhost:PORT or [::1]:PORT
// (421: a page of another site cannot reach the server by renaming its own
// address); a PUT without the right key (403), with an If-Match that is
// missing or not the ETag of the bytes the description holds now (412), or
// with a body over 16 MiB (413); another path (404) or method (405).
// Every answer carries Cache-Control: no-store, X-Content-Type-Options:
// nosniff, Referrer-Policy: no-referrer and a Content-Security-Policy; none
// carries CORS headers.
//
// It listens on 127.0.0.1 and [::1] (127.0.0.1 alone where ::1 cannot be
// bound), on a free port or the one asked for. At most 32 connections are
// open at once: one more is closed as soon as it is accepted, never queued.
// A connection idle for 30 s is closed.
//
// The key is 128 random bits from the system's generator, written as 32
// lower-case hexadecimal digits, compared in constant time; the server never
// prints, logs or sends it.
//
// All the network work happens on one thread of the server's own, on which
// the read and write functions are called too (one call at a time). That
// thread is started with SIGINT, SIGTERM and SIGHUP blocked, so that those
// reach the program's own handling of them. Nothing throws out of here: a
// failure to start is a Status with the reason; memory running out while
// answering ends that one connection.
#ifndef FLOWSVG_SERVE_PREVIEW_SERVER_H_
#define FLOWSVG_SERVE_PREVIEW_SERVER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

struct PreviewSettings {
  // The port to listen on; 0 for a free one.
  uint16_t port = 0;
  // The bytes of GET / (an HTML page).
  std::string page;
  // The page's Content-Security-Policy; empty for one that lets the page
  // use only its own origin (scripts, styles, WebAssembly, fetches).
  std::string pagePolicy;
  // Reads the description's bytes as they are now into *bytes.
  std::function<Status(std::string* bytes)> readDescription;
  // Replaces the description with bytes (the program's safe replacement).
  std::function<Status(std::string_view bytes)> writeDescription;
};

// Limits of the HTTP surface above.
inline constexpr size_t PreviewBodyLimit = 16 * 1024 * 1024;
inline constexpr int PreviewMostConnections = 32;
inline constexpr int PreviewIdleSeconds = 30;
inline constexpr int PreviewKeepAliveSeconds = 15;

class PreviewServer {
 public:
  PreviewServer();
  // Stops the server if it still runs.
  ~PreviewServer();
  PreviewServer(const PreviewServer&) = delete;
  PreviewServer& operator=(const PreviewServer&) = delete;

  // Listens and starts answering on the server's thread. Fails, with the
  // reason, when the port cannot be had on 127.0.0.1 (taken, say), the key
  // cannot be made or the thread cannot start; then nothing is left open.
  Status start(PreviewSettings settings);

  // Once started: the port listened on, whether [::1] is listened on too,
  // and the key.
  uint16_t port() const;
  bool onIpv6() const;
  const std::string& key() const;

  // The description may have changed (the watch saw it saved): it is read
  // again and, when its bytes differ from the last ones seen, a change is
  // sent to every event stream. Safe to call from any thread, at any time
  // (before start and after stop it does nothing).
  void descriptionChanged();

  // Closes every connection, stops listening and ends the thread; waits for
  // that. Safe to call more than once.
  void stop();

  // What the server holds, known only inside preview_server.cc.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

#endif  // FLOWSVG_SERVE_PREVIEW_SERVER_H_
