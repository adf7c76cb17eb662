// The preview session's contract as a library: the address it gives, one
// start only, and a build without the page refusing with its text. What
// the pages see over HTTP is checked against flowsvg --serve
// (src/cli/serve_test.sh) and in the browser (web/test).
#include "serve/preview_session.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "base/utf8.h"
#include "base/wording.h"
#include "serve/preview_page.h"
#include "testing/test_support.h"

namespace {

namespace http = boost::beast::http;
using tcp = boost::asio::ip::tcp;

// One request to the session's server on 127.0.0.1; the answer.
http::response<http::string_body> ask(uint16_t port, http::verb verb,
                                      const std::string& target,
                                      const std::string& body = "",
                                      const std::string& key = "",
                                      const std::string& tag = "") {
  boost::asio::io_context io;
  tcp::socket socket(io);
  socket.connect({boost::asio::ip::address_v4::loopback(), port});
  http::request<http::string_body> request{verb, target, 11};
  request.set(http::field::host, "127.0.0.1:" + std::to_string(port));
  if (!key.empty()) request.set("X-Flowsvg-Key", key);
  if (!tag.empty()) request.set(http::field::if_match, tag);
  if (verb == http::verb::put) {
    request.body() = body;
    request.prepare_payload();
  }
  http::write(socket, request);
  boost::beast::flat_buffer buffer;
  http::response<http::string_body> answer;
  http::read(socket, buffer, answer);
  return answer;
}

TEST(PreviewSession, GivesTheAddressWithItsPortAndKey) {
  TempFolder folder;
  writeBytes(folder.file("plan.txt"), "[Flow.Steps]\n");
  PreviewSession session;
  EXPECT_EQ(session.address(), u"");
  const Status started = session.start(folder.text("plan.txt"));
  if (!previewPageAvailable()) {
    ASSERT_FALSE(started.ok());
    EXPECT_EQ(started.reason(), wording::ServeUnavailable);
    EXPECT_EQ(session.address(), u"");
    return;
  }
  ASSERT_TRUE(started.ok()) << encodeUtf8(started.reason());
  const std::string address = encodeUtf8(session.address());
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(
      address, parts,
      std::regex(R"(http://127\.0\.0\.1:([0-9]+)/#key=[0-9a-f]{32})")))
      << address;
  EXPECT_EQ(parts[1].str(), std::to_string(session.port()));
  // Once only, also after a stop; moving and telling of saves after the
  // stop do nothing.
  EXPECT_FALSE(session.start(folder.text("plan.txt")).ok());
  session.stop();
  session.moveTo(folder.text("other.txt"));
  session.descriptionSaved();
  EXPECT_FALSE(session.start(folder.text("plan.txt")).ok());
}

TEST(PreviewSession, TheBuiltPageIsTheFileModePageWithItsPolicy) {
  if (!previewPageAvailable()) {
    EXPECT_TRUE(previewPage().empty());
    EXPECT_TRUE(previewPagePolicy().empty());
    return;
  }
  const std::string page(previewPage());
  const std::string policy(previewPagePolicy());
  EXPECT_EQ(page.rfind("<!doctype html>", 0), 0u);
  EXPECT_NE(page.find("data-mode=\"file\""), std::string::npos);
  EXPECT_NE(policy.find("connect-src 'self'"), std::string::npos);
  // The page's own <meta> policy is the one the server sends.
  EXPECT_NE(page.find("content=\"" + policy + "\""), std::string::npos);
}

}  // namespace

namespace {

// The window moves its preview when another input is chosen: the same
// address serves the other file from then on, for reading and for saving.
TEST(PreviewSession, MovesToAnotherFileAtTheSameAddress) {
  if (!previewPageAvailable()) GTEST_SKIP() << "this build has no page";
  TempFolder folder;
  writeBytes(folder.file("one.txt"), "[Flow.One]\n");
  writeBytes(folder.file("two.txt"), "[Flow.Two]\n");
  PreviewSession session;
  ASSERT_TRUE(session.start(folder.text("one.txt")).ok());
  const std::string address = encodeUtf8(session.address());
  const std::string key = address.substr(address.find("#key=") + 5);

  auto page = ask(session.port(), http::verb::get, "/");
  EXPECT_EQ(page.result(), http::status::ok);
  EXPECT_EQ(page.body(), previewPage());
  EXPECT_NE(std::string(page["Content-Security-Policy"])
                .find("connect-src 'self'"),
            std::string::npos);
  EXPECT_EQ(ask(session.port(), http::verb::get, "/description").body(),
            "[Flow.One]\n");

  session.moveTo(folder.text("two.txt"));
  const auto two = ask(session.port(), http::verb::get, "/description");
  EXPECT_EQ(two.body(), "[Flow.Two]\n");
  EXPECT_EQ(encodeUtf8(session.address()), address);
  // A save goes into the file served now, through the safe replacement.
  const auto saved =
      ask(session.port(), http::verb::put, "/description", "[Flow.Saved]\n",
          key, std::string(two[http::field::etag]));
  EXPECT_EQ(saved.result(), http::status::no_content);
  EXPECT_EQ(readBytes(folder.file("two.txt")), "[Flow.Saved]\n");
  EXPECT_EQ(readBytes(folder.file("one.txt")), "[Flow.One]\n");
}

}  // namespace
