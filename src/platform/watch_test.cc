// The folder watch on a thread of its own, as the window's preview uses it:
// a save by rename seen as a change of its file only, interruptWatch from
// another thread ending a wait at once (and every later one), and a folder
// that cannot be watched named with its reason. The command line's use
// (signals, a folder removed and made again) is driven through flowsvg
// --watch by the end-to-end tests.
#include "platform/watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "testing/test_support.h"

namespace {

struct Waited {
  WatchResult result;
  std::vector<char> changed;
  int signal;
};

// Waits on another thread, as the preview's watch does.
std::future<Waited> waitElsewhere(DescriptionWatch* watch) {
  return std::async(std::launch::async, [watch] {
    Waited waited{WatchResult::Failed, {}, -1};
    Text reason;
    waited.result =
        waitForChanges(watch, &waited.changed, &waited.signal, &reason);
    return waited;
  });
}

TEST(WatchTest, ASaveByRenameIsAChangeOfItsFileOnly) {
  TempFolder folder;
  writeBytes(folder.file("a.txt"), "[Flow.A]\n");
  writeBytes(folder.file("b.txt"), "[Flow.B]\n");
  Text where;
  Text reason;
  DescriptionWatch* watch =
      startWatch({folder.text("a.txt"), folder.text("b.txt")}, &where, &reason,
                 WatchSignals::Left);
  ASSERT_NE(watch, nullptr);
  std::future<Waited> waited = waitElsewhere(watch);
  writeBytes(folder.file("b.saving"), "[Flow.B2]\n");
  // Over the old file, as editors save (MoveFileExW on Windows).
  std::filesystem::rename(folder.file("b.saving"), folder.file("b.txt"));
  const Waited got = waited.get();
  EXPECT_EQ(got.result, WatchResult::Changed);
  EXPECT_EQ(got.changed, (std::vector<char>{0, 1}));
  endWatch(watch);
}

TEST(WatchTest, InterruptWatchEndsAWaitOnAnotherThreadAndEveryLaterOne) {
  TempFolder folder;
  writeBytes(folder.file("plan.txt"), "[Flow.A]\n");
  DescriptionWatch* watch = startWatch({folder.text("plan.txt")}, nullptr,
                                       nullptr, WatchSignals::Left);
  ASSERT_NE(watch, nullptr);
  std::future<Waited> waited = waitElsewhere(watch);
  // Nothing changes: the wait would last for ever.
  EXPECT_EQ(waited.wait_for(std::chrono::milliseconds(100)),
            std::future_status::timeout);
  interruptWatch(watch);
  const Waited got = waited.get();
  EXPECT_EQ(got.result, WatchResult::Stopped);
  EXPECT_EQ(got.signal, 0);
  EXPECT_EQ(waitElsewhere(watch).get().result, WatchResult::Stopped);
  endWatch(watch);
}

TEST(WatchTest, AFolderThatCannotBeWatchedIsNamedWithItsReason) {
  TempFolder folder;
  Text where;
  Text reason;
  DescriptionWatch* watch = startWatch({folder.text("none/plan.txt")}, &where,
                                       &reason, WatchSignals::Left);
  EXPECT_EQ(watch, nullptr);
  EXPECT_NE(where.find(u"none"), Text::npos);
  EXPECT_FALSE(reason.empty());
}

}  // namespace
