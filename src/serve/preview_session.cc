#include "serve/preview_session.h"

#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "base/utf8.h"
#include "base/wording.h"
#include "platform/text_file.h"
#include "serve/preview_page.h"

struct PreviewSession::Served {
  std::mutex lock;
  Text path;

  Text now() {
    std::lock_guard<std::mutex> hold(lock);
    return path;
  }
};

PreviewSession::PreviewSession() : served_(std::make_shared<Served>()) {}

PreviewSession::~PreviewSession() { stop(); }

Status PreviewSession::start(const Text& description, uint16_t port) {
  if (!previewPageAvailable()) return Status::error(Text(wording::ServeUnavailable));
  if (started_) return Status::error(Text(wording::PreviewServedOnce));
  {
    std::lock_guard<std::mutex> hold(served_->lock);
    served_->path = description;
  }
  PreviewSettings settings;
  settings.port = port;
  settings.page = std::string(previewPage());
  // The page's own policy, and as a header also what only a header can
  // say: no other site's page may frame it.
  settings.pagePolicy =
      std::string(previewPagePolicy()) + "; frame-ancestors 'none'";
  // The functions hold the shared path, not the session, so that they stay
  // valid for as long as the server's thread may call them.
  std::shared_ptr<Served> served = served_;
  settings.readDescription = [served](std::string* bytes) {
    return readWholeFile(served->now(), bytes);
  };
  settings.writeDescription = [served](std::string_view bytes) {
    return replaceWholeFile(served->now(), bytes);
  };
  const Status started = server_.start(std::move(settings));
  started_ = started.ok();
  return started;
}

Text PreviewSession::address() const {
  if (!started_) return Text();
  return Text(wording::PreviewAddressBefore) +
         formatInteger(int64_t{server_.port()}) +
         Text(wording::PreviewAddressKey) + decodeUtf8(server_.key());
}

uint16_t PreviewSession::port() const {
  return started_ ? server_.port() : 0;
}

void PreviewSession::descriptionSaved() { server_.descriptionChanged(); }

void PreviewSession::moveTo(const Text& description) {
  {
    std::lock_guard<std::mutex> hold(served_->lock);
    served_->path = description;
  }
  server_.descriptionChanged();
}

void PreviewSession::stop() { server_.stop(); }
