// The preview server on Boost.Beast (HTTP/1.1) and Boost.Asio (sockets,
// timers), every network operation asynchronous on the server's one thread.
#include "serve/preview_server.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http.hpp>

#include "base/utf8.h"
#include "platform/system_error.h"
#include "serve/request_rules.h"
#include "serve/server_platform.h"

namespace net = boost::asio;
namespace http = boost::beast::http;
using tcp = net::ip::tcp;
using boost::system::error_code;

namespace {

constexpr auto kIdle = std::chrono::seconds(PreviewIdleSeconds);
constexpr auto kKeepAlive = std::chrono::seconds(PreviewKeepAliveSeconds);
// A header larger than this is no request of the page's.
constexpr uint32_t kHeaderLimit = 16 * 1024;
// How long a connection being closed takes what its client still sends.
constexpr auto kLinger = std::chrono::seconds(2);
// How often a free port is tried when [::1] has the one 127.0.0.1 got
// taken by another program.
constexpr int kPortAttempts = 20;
// After a failed accept (no descriptor free, say), the next one waits this
// long instead of failing at once again.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);

// Everything but the page may run nothing, be framed by nothing and send
// nothing.
constexpr std::string_view kClosedPolicy =
    "default-src 'none'; frame-ancestors 'none'; base-uri 'none'; "
    "form-action 'none'";
constexpr std::string_view kOwnOriginPolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; "
    "style-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
    "frame-ancestors 'none'; base-uri 'none'; form-action 'none'";

Text reasonOf(const error_code& error) {
  return systemErrorText(error.value());
}

class Session;

}  // namespace

struct PreviewServer::State {
  PreviewSettings settings;
  std::string pagePolicy;
  std::string key;
  uint16_t port = 0;
  bool ipv6 = false;

  // Used on the server's thread only, once it runs.
  std::string lastTag;
  int open = 0;
  bool stopping = false;
  std::vector<std::weak_ptr<Session>> sessions;

  std::mutex lock;  // guards running and started
  bool running = false;
  bool started = false;
  std::thread thread;

  // One listening address, with the timer that spaces out its accepts
  // after a failed one.
  struct Listener {
    explicit Listener(net::io_context& io) : acceptor(io), retry(io) {}
    tcp::acceptor acceptor;
    net::steady_timer retry;
  };

  // Destroyed before the members above (a connection's end counts itself
  // out of `open`); the listeners, declared after it, before it.
  net::io_context io{1};
  std::optional<Listener> v4;
  std::optional<Listener> v6;

  void accept(Listener& listener);
  void closeAll();
  void refreshTag();
  void broadcast(const std::string& tag);
  // The description's bytes now and their tag, or why they cannot be read.
  Status readNow(std::string* bytes, std::string* tag);
};

namespace {

// One connection: requests answered one after another; a GET /events turns
// it into an event stream until either side closes it.
class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(PreviewServer::State& server, tcp::socket socket)
      : server_(server),
        stream_(std::move(socket)),
        heartbeat_(stream_.get_executor()),
        writeDeadline_(stream_.get_executor()) {
    ++server_.open;
  }
  ~Session() { --server_.open; }

  void start() { readRequest(); }

  // Ends the connection at once (the server stops).
  void close() {
    closed_ = true;
    heartbeat_.cancel();
    writeDeadline_.cancel();
    stream_.close();
  }

  // Queues an event for an event stream; nothing for other connections.
  void sendEvent(const std::string& text) {
    if (!streaming_ || closed_) return;
    queued_.push_back(text);
    if (headerSent_ && queued_.size() == 1) writeQueued();
  }

 private:
  using Request = http::request_parser<http::string_body>;

  void readRequest() {
    if (closed_) return;
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    // A PUT's body is limited once its header has passed the checks, so
    // that the key is checked first. (No limit is the largest one: an empty
    // optional counts as smaller than any length in Boost 1.74's parser.)
    parser_->body_limit(std::numeric_limits<std::uint64_t>::max());
    // Idle between requests, or too slow to send one: closed.
    stream_.expires_after(kIdle);
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](error_code error, size_t) {
          self->onHeader(error);
        });
  }

  void onHeader(error_code error) {
    if (error == http::error::header_limit) {
      return answer(http::status::request_header_fields_too_large, false);
    }
    if (error) {
      if (error == http::error::end_of_stream || closed_ ||
          error == boost::beast::error::timeout ||
          error == net::error::operation_aborted ||
          error == net::error::eof || error == net::error::connection_reset) {
        return close();
      }
      return answer(http::status::bad_request, false);
    }
    const auto& request = parser_->get();
    if (!hostAllowed(request[http::field::host], server_.port)) {
      return answer(http::status::misdirected_request, false);
    }
    const Resource resource = resourceOf(request.target());
    if (resource == Resource::None) {
      return answer(http::status::not_found, parser_->is_done());
    }
    const http::verb method = request.method();
    const bool put = method == http::verb::put;
    if (method != http::verb::get &&
        !(put && resource == Resource::Description)) {
      auto response = makeResponse<http::string_body>(
          http::status::method_not_allowed, parser_->is_done());
      response->set(http::field::allow, allowedMethods(resource));
      return send(std::move(response));
    }
    if (put) return checkPut();
    // A GET that carries a body: answered, then the connection closed, so
    // that its body is never taken for the next request.
    const bool keep = parser_->is_done();
    switch (resource) {
      case Resource::Page:
        return sendPage(keep);
      case Resource::Description:
        return sendDescription(keep);
      case Resource::Events:
        return startEvents();
      case Resource::None:
        break;
    }
  }

  // What a PUT's header alone can refuse, before its body is read.
  void checkPut() {
    const auto& request = parser_->get();
    if (!sameKey(request["X-Flowsvg-Key"], server_.key)) {
      return answer(http::status::forbidden, false);
    }
    const auto length = parser_->content_length();
    if (length && *length > PreviewBodyLimit) {
      return answer(http::status::payload_too_large, false);
    }
    parser_->body_limit(PreviewBodyLimit);
    if (request.find(http::field::if_match) == request.end()) {
      return answer(http::status::precondition_failed, false);
    }
    const bool wantsGoAhead =
        boost::beast::iequals(request[http::field::expect], "100-continue");
    if (!wantsGoAhead) return readBody();
    auto goAhead = std::make_shared<http::response<http::empty_body>>(
        http::status::continue_, 11);
    stream_.expires_after(kIdle);
    http::async_write(stream_, *goAhead,
                      [self = shared_from_this(), goAhead](error_code error,
                                                           size_t) {
                        if (error) return self->close();
                        self->readBody();
                      });
  }

  void readBody() {
    stream_.expires_after(kIdle);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](error_code error, size_t) {
                       self->onBody(error);
                     });
  }

  void onBody(error_code error) {
    if (error == http::error::body_limit) {
      return answer(http::status::payload_too_large, false);
    }
    if (error) return close();
    const auto& request = parser_->get();
    std::string current;
    std::string tag;
    const Status read = server_.readNow(&current, &tag);
    if (!read.ok()) return answerFailure(read);
    if (request[http::field::if_match] != tag) {
      return answer(http::status::precondition_failed, true);
    }
    const Status written = server_.settings.writeDescription(request.body());
    if (!written.ok()) return answerFailure(written);
    const std::string newTag = entityTag(request.body());
    auto response = makeResponse<http::empty_body>(http::status::no_content,
                                                   true);
    response->set(http::field::etag, newTag);
    send(std::move(response));
    // Every page learns of it now; the watch's notice of the same save
    // then finds nothing new.
    if (newTag != server_.lastTag) server_.broadcast(newTag);
  }

  void sendPage(bool keep) {
    using PageBody = http::span_body<const char>;
    auto response =
        std::make_shared<http::response<PageBody>>(http::status::ok, 11);
    response->body() = boost::beast::span<const char>(
        server_.settings.page.data(), server_.settings.page.size());
    response->set(http::field::content_type, "text/html; charset=utf-8");
    finish(*response, keep, server_.pagePolicy);
    send(std::move(response));
  }

  void sendDescription(bool keep) {
    std::string bytes;
    std::string tag;
    const Status read = server_.readNow(&bytes, &tag);
    if (!read.ok()) return answerFailure(read);
    auto response = makeResponse<http::string_body>(http::status::ok, keep);
    response->set(http::field::content_type, "application/octet-stream");
    response->set(http::field::etag, tag);
    response->body() = std::move(bytes);
    send(std::move(response));
  }

  // The answer's header, then events as chunks, until either side closes.
  void startEvents() {
    streaming_ = true;
    // Its own timers from here on: the stream may be quiet for long, but a
    // write that the page does not take within the idle time ends it.
    stream_.expires_never();
    events_.emplace(http::status::ok, 11);
    events_->set(http::field::content_type, "text/event-stream");
    events_->chunked(true);
    finish(*events_, true, kClosedPolicy);
    eventsWriter_.emplace(*events_);
    armWriteDeadline();
    http::async_write_header(
        stream_, *eventsWriter_,
        [self = shared_from_this()](error_code error, size_t) {
          self->writeDeadline_.cancel();
          if (error) return self->close();
          self->headerSent_ = true;
          if (!self->server_.lastTag.empty()) {
            self->queued_.push_front(changeEvent(self->server_.lastTag));
          }
          if (!self->queued_.empty()) self->writeQueued();
          self->beat();
          self->watchForClose();
        });
  }

  // A comment line every 15 s, so that the stream is never idle.
  void beat() {
    heartbeat_.expires_after(kKeepAlive);
    heartbeat_.async_wait([self = shared_from_this()](error_code error) {
      if (error || self->closed_) return;
      self->sendEvent(": keep-alive\n\n");
      self->beat();
    });
  }

  // The page sends nothing more on an event stream: a read that ends means
  // it has gone (or sent what no page sends); the slot is freed at once.
  void watchForClose() {
    stream_.async_read_some(
        net::buffer(scrap_),
        [self = shared_from_this()](error_code, size_t) { self->close(); });
  }

  void writeQueued() {
    armWriteDeadline();
    net::async_write(
        stream_, http::make_chunk(net::buffer(queued_.front())),
        [self = shared_from_this()](error_code error, size_t) {
          self->writeDeadline_.cancel();
          if (error) return self->close();
          self->queued_.pop_front();
          if (!self->queued_.empty()) self->writeQueued();
        });
  }

  void armWriteDeadline() {
    writeDeadline_.expires_after(kIdle);
    writeDeadline_.async_wait(
        [self = shared_from_this()](error_code error) {
          if (!error) self->close();
        });
  }

  static std::string changeEvent(const std::string& tag) {
    return "event: change\ndata: " + tag + "\n\n";
  }

  // A failure to read or write the description: 500 with its reason.
  void answerFailure(const Status& status) {
    auto response = makeResponse<http::string_body>(
        http::status::internal_server_error, true);
    response->set(http::field::content_type, "text/plain; charset=utf-8");
    response->body() = status.isOutOfMemory()
                           ? encodeUtf8(outOfMemoryReason())
                           : encodeUtf8(status.reason());
    response->body() += "\n";
    send(std::move(response));
  }

  // An answer whose body is its status line's reason.
  void answer(http::status status, bool keep) {
    auto response = makeResponse<http::string_body>(status, keep);
    response->set(http::field::content_type, "text/plain; charset=utf-8");
    response->body() = std::string(http::obsolete_reason(status)) + "\n";
    send(std::move(response));
  }

  template <class Body>
  std::shared_ptr<http::response<Body>> makeResponse(http::status status,
                                                     bool keep) {
    auto response = std::make_shared<http::response<Body>>(status, 11);
    finish(*response, keep, kClosedPolicy);
    return response;
  }

  // The headers every answer carries; keep: whether the connection may
  // serve another request afterwards.
  template <class Message>
  void finish(Message& response, bool keep, std::string_view policy) {
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("Referrer-Policy", "no-referrer");
    response.set("Content-Security-Policy", policy);
    response.keep_alive(keep && parser_ && parser_->get().keep_alive());
  }

  template <class Body>
  void send(std::shared_ptr<http::response<Body>> response) {
    if (!response->chunked()) response->prepare_payload();
    stream_.expires_after(kIdle);
    const bool keep = response->keep_alive();
    http::async_write(stream_, *response,
                      [self = shared_from_this(), response, keep](
                          error_code error, size_t) {
                        if (error) return self->close();
                        if (!keep) return self->closeQuietly();
                        self->readRequest();
                      });
  }

  // Ends a connection whose client may still be sending (the body of a
  // refused request): the answer is followed by the end of what the server
  // sends, and what still arrives is read and dropped for a moment, since a
  // socket closed with unread data would reset the connection and could
  // make the client lose the answer.
  void closeQuietly() {
    error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kLinger);
    drain();
  }

  void drain() {
    stream_.async_read_some(
        net::buffer(scrap_),
        [self = shared_from_this()](error_code error, size_t) {
          if (error || self->closed_) return self->close();
          self->drain();
        });
  }

  PreviewServer::State& server_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<Request> parser_;
  bool closed_ = false;
  bool streaming_ = false;
  bool headerSent_ = false;
  char scrap_[512];
  std::optional<http::response<http::empty_body>> events_;
  std::optional<http::response_serializer<http::empty_body>> eventsWriter_;
  std::deque<std::string> queued_;
  net::steady_timer heartbeat_;
  net::steady_timer writeDeadline_;
};

}  // namespace

void PreviewServer::State::accept(Listener& listener) {
  listener.acceptor.async_accept([this, &listener](error_code error,
                                                   tcp::socket socket) {
    if (stopping || error == net::error::operation_aborted) return;
    if (error) {
      listener.retry.expires_after(kAcceptRetry);
      listener.retry.async_wait([this, &listener](error_code waited) {
        if (!waited && !stopping) accept(listener);
      });
      return;
    }
    if (open < PreviewMostConnections) {
      try {
        auto session = std::make_shared<Session>(*this, std::move(socket));
        sessions.erase(std::remove_if(sessions.begin(), sessions.end(),
                                      [](const std::weak_ptr<Session>& s) {
                                        return s.expired();
                                      }),
                       sessions.end());
        sessions.push_back(session);
        session->start();
      } catch (const std::bad_alloc&) {
        // The connection is dropped; the server goes on.
      }
    }
    // Otherwise the socket closes as it goes out of scope: refused, not
    // queued.
    accept(listener);
  });
}

Status PreviewServer::State::readNow(std::string* bytes, std::string* tag) {
  const Status status = settings.readDescription(bytes);
  if (status.ok()) *tag = entityTag(*bytes);
  return status;
}

void PreviewServer::State::refreshTag() {
  std::string bytes;
  std::string tag;
  if (!readNow(&bytes, &tag).ok() || tag == lastTag) return;
  broadcast(tag);
}

void PreviewServer::State::broadcast(const std::string& tag) {
  lastTag = tag;
  const std::string event = "event: change\ndata: " + tag + "\n\n";
  for (const auto& weak : sessions) {
    if (auto session = weak.lock()) session->sendEvent(event);
  }
}

void PreviewServer::State::closeAll() {
  stopping = true;
  error_code ignored;
  for (auto* listener : {&v4, &v6}) {
    if (!*listener) continue;
    (*listener)->acceptor.close(ignored);
    (*listener)->retry.cancel();
  }
  for (const auto& weak : sessions) {
    if (auto session = weak.lock()) session->close();
  }
}

namespace {

// Opens, binds and listens; false with the failure in error.
bool listenOn(tcp::acceptor& acceptor, const tcp::endpoint& where,
              error_code& error) {
  acceptor.open(where.protocol(), error);
  if (error) return false;
  if (where.protocol() == tcp::v6()) {
    acceptor.set_option(net::ip::v6_only(true), error);
    if (error) return false;
  }
  prepareListeningSocket(acceptor, error);
  if (error) return false;
  acceptor.bind(where, error);
  if (error) return false;
  acceptor.listen(net::socket_base::max_listen_connections, error);
  return !error;
}

}  // namespace

PreviewServer::PreviewServer() : state_(std::make_shared<State>()) {}

PreviewServer::~PreviewServer() { stop(); }

Status PreviewServer::start(PreviewSettings settings) {
  State& s = *state_;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.started) return Status::error(u"already started");
    s.started = true;
  }
  try {
    std::string random;
    const Status keyMade = randomBytes(16, &random);
    if (!keyMade.ok()) return keyMade;
    static const char kHex[] = "0123456789abcdef";
    s.key.clear();
    for (unsigned char byte : random) {
      s.key += kHex[byte >> 4];
      s.key += kHex[byte & 15];
    }
    s.settings = std::move(settings);
    s.pagePolicy = s.settings.pagePolicy.empty()
                       ? std::string(kOwnOriginPolicy)
                       : s.settings.pagePolicy;

    const auto loopback4 = net::ip::address_v4::loopback();
    const auto loopback6 = net::ip::address_v6::loopback();
    error_code error;
    const int attempts = s.settings.port == 0 ? kPortAttempts : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
      s.v4.emplace(s.io);
      if (!listenOn(s.v4->acceptor, {loopback4, s.settings.port}, error)) {
        s.v4.reset();
        return Status::error(reasonOf(error));
      }
      s.port = s.v4->acceptor.local_endpoint().port();
      s.v6.emplace(s.io);
      if (listenOn(s.v6->acceptor, {loopback6, s.port}, error)) break;
      s.v6.reset();
      // A free port of 127.0.0.1 that another program holds on [::1]:
      // another one is tried, so that both addresses serve the same port.
      if (error != net::error::address_in_use || attempt + 1 == attempts) {
        break;
      }
      s.v4.reset();
    }
    s.ipv6 = s.v6.has_value();
    // The description's tag as the first event streams will tell.
    std::string bytes;
    (void)s.readNow(&bytes, &s.lastTag);

    s.accept(*s.v4);
    if (s.v6) s.accept(*s.v6);
  } catch (const std::bad_alloc&) {
    s.v4.reset();
    s.v6.reset();
    return Status::outOfMemory();
  } catch (const boost::system::system_error& error) {
    s.v4.reset();
    s.v6.reset();
    return Status::error(reasonOf(error.code()));
  }
  State* raw = &s;
  const Status started = startServerThread(
      [raw] {
        // A handler that fails (memory running out, a timer the system
        // refuses) ends its own connection, whose objects go with it; the
        // others go on.
        for (;;) {
          try {
            raw->io.run();
            return;
          } catch (const std::exception&) {
          }
        }
      },
      &s.thread);
  if (!started.ok()) {
    s.v4.reset();
    s.v6.reset();
    return started;
  }
  std::lock_guard<std::mutex> guard(s.lock);
  s.running = true;
  return Status();
}

uint16_t PreviewServer::port() const { return state_->port; }
bool PreviewServer::onIpv6() const { return state_->ipv6; }
const std::string& PreviewServer::key() const { return state_->key; }

void PreviewServer::descriptionChanged() {
  State& s = *state_;
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.running) return;
  State* raw = &s;
  try {
    net::post(s.io, [raw] {
      if (!raw->stopping) raw->refreshTag();
    });
  } catch (const std::bad_alloc&) {
    // Memory ran out: this notice is lost; the next save brings another.
  }
}

void PreviewServer::stop() {
  State& s = *state_;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.running) return;
    s.running = false;
    State* raw = &s;
    try {
      net::post(s.io, [raw] { raw->closeAll(); });
    } catch (const std::bad_alloc&) {
      // No memory to ask nicely: the loop ends at once, and the
      // connections close as the server's objects are destroyed.
      s.io.stop();
    }
  }
  // Every operation ends with its connection: the thread returns.
  s.thread.join();
  s.v4.reset();
  s.v6.reset();
}
