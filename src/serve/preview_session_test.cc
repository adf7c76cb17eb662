// The preview session's contract as a library: the address it gives, one
// start only, and a build without the page refusing with its text. What
// the pages see over HTTP is checked against flowsvg --serve
// (src/cli/serve_test.sh) and in the browser (web/test).
#include "serve/preview_session.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "base/utf8.h"
#include "base/wording.h"
#include "serve/preview_page.h"
#include "testing/test_support.h"

namespace {

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
