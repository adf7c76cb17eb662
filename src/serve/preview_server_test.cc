// The server's contract as a library, in process: what start gives, a port
// that is taken, and stopping at any moment. Its HTTP answers are checked
// over the network by preview_server_test.sh.
#include "serve/preview_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/utf8.h"

namespace {

PreviewSettings settingsFor(std::atomic<int>* reads, uint16_t port = 0) {
  PreviewSettings settings;
  settings.port = port;
  settings.page = "<!doctype html>";
  settings.readDescription = [reads](std::string* bytes) {
    ++*reads;
    *bytes = "[Flow.Steps]\r\n";
    return Status();
  };
  settings.writeDescription = [](std::string_view) { return Status(); };
  return settings;
}

bool isLowerHex(const std::string& text) {
  return text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST(PreviewServer, StartsOnAFreePortWithAFreshKey) {
  std::atomic<int> reads{0};
  PreviewServer one;
  PreviewServer two;
  ASSERT_TRUE(one.start(settingsFor(&reads)).ok());
  ASSERT_TRUE(two.start(settingsFor(&reads)).ok());
  EXPECT_NE(one.port(), 0);
  EXPECT_NE(one.port(), two.port());
  EXPECT_EQ(one.key().size(), 32u);
  EXPECT_TRUE(isLowerHex(one.key())) << one.key();
  EXPECT_NE(one.key(), two.key());
  // The description is read once at the start, for the streams' first tag.
  EXPECT_EQ(reads.load(), 2);
}

TEST(PreviewServer, APortTakenIsRefusedWithTheReason) {
  std::atomic<int> reads{0};
  PreviewServer first;
  ASSERT_TRUE(first.start(settingsFor(&reads)).ok());
  PreviewServer second;
  const Status taken = second.start(settingsFor(&reads, first.port()));
  ASSERT_FALSE(taken.ok());
  EXPECT_FALSE(taken.reason().empty());
  // Nothing of it stays: stopping and destroying it are no-ops.
  second.stop();
  // And the first, once stopped, leaves its port to be had again at once.
  const uint16_t port = first.port();
  first.stop();
  PreviewServer again;
  EXPECT_TRUE(again.start(settingsFor(&reads, port)).ok());
  EXPECT_EQ(again.port(), port);
}

TEST(PreviewServer, StartsOnce) {
  std::atomic<int> reads{0};
  PreviewServer server;
  ASSERT_TRUE(server.start(settingsFor(&reads)).ok());
  EXPECT_FALSE(server.start(settingsFor(&reads)).ok());
  server.stop();
  EXPECT_FALSE(server.start(settingsFor(&reads)).ok());
}

TEST(PreviewServer, ChangesMayBeToldFromAnyThreadAtAnyTime) {
  std::atomic<int> reads{0};
  PreviewServer server;
  server.descriptionChanged();  // before the start: nothing
  ASSERT_TRUE(server.start(settingsFor(&reads)).ok());
  std::vector<std::thread> watchers;
  for (int t = 0; t < 4; ++t) {
    watchers.emplace_back([&server] {
      for (int k = 0; k < 200; ++k) server.descriptionChanged();
    });
  }
  // Stopped while the notices still come.
  server.stop();
  for (auto& watcher : watchers) watcher.join();
  server.descriptionChanged();  // after the stop: nothing
  server.stop();
  EXPECT_GE(reads.load(), 1);
  EXPECT_LE(reads.load(), 1 + 4 * 200);
}

}  // namespace
