#include "desktop/launch.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "testing/test_support.h"

namespace {

namespace fs = std::filesystem;

class LaunchTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    // A program that writes down the arguments it got, one per line in
    // brackets after their count, and renames its record into place once
    // complete.
    recorder_ = root_ / "recorder";
    std::ofstream(recorder_) << "#!/bin/sh\n"
                             << "{ echo \"$#\"; for a in \"$@\"; do printf "
                                "'[%s]\\n' \"$a\"; done; } > '"
                             << (root_ / "record.part").string() << "'\n"
                             << "mv '" << (root_ / "record.part").string()
                             << "' '" << record().string() << "'\n";
    chmod(recorder_.c_str(), 0755);
  }

  fs::path record() const { return root_ / "record"; }

  // The record, once the detached program has written it (polled; the
  // program runs on its own and is not waited for).
  std::string awaitRecord() const {
    for (int i = 0; i < 1000 && !fs::exists(record()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return readBytes(record());
  }

  TempFolder folder_;
  const fs::path root_ = folder_.path();
  fs::path recorder_;
};

TEST_F(LaunchTest, HandsEachArgumentOverUnchangedAndRunsNothingInIt) {
  const std::string marker = (root_ / "ran").string();
  const std::string arguments[] = {
      "a; touch " + marker,
      "$(touch " + marker + ")",
      "`touch " + marker + "`",
      "x && touch " + marker + " | cat > y",
      "/tmp/two  spaces/ and 'quotes\"/",
      "",
  };
  for (const std::string& argument : arguments) {
    SCOPED_TRACE(argument);
    fs::remove(record());
    ASSERT_EQ(launchDetached({recorder_.string(), argument}), 1);
    EXPECT_EQ(awaitRecord(), "1\n[" + argument + "]\n");
    EXPECT_FALSE(fs::exists(marker));
  }
}

TEST_F(LaunchTest, FindsTheProgramInPath) {
  const char* old = getenv("PATH");
  const std::string saved = old != nullptr ? old : "";
  setenv("PATH", ("/nonexistent:" + root_.string() + ":" + saved).c_str(), 1);
  const int32_t started = launchDetached({"recorder", "one", "two"});
  setenv("PATH", saved.c_str(), 1);
  ASSERT_EQ(started, 1);
  EXPECT_EQ(awaitRecord(), "2\n[one]\n[two]\n");
}

TEST_F(LaunchTest, ReportsWhatCannotBeStarted) {
  EXPECT_EQ(launchDetached({}), 0);
  EXPECT_EQ(launchDetached({""}), 0);
  EXPECT_EQ(launchDetached({"flowsvg-no-such-program-anywhere"}), 0);
  EXPECT_EQ(launchDetached({(root_ / "missing").string()}), 0);
  EXPECT_EQ(launchDetached({root_.string()}), 0);  // a folder
  const fs::path plain = root_ / "plain";
  std::ofstream(plain) << "not a program\n";
  EXPECT_EQ(launchDetached({plain.string()}), 0);  // not executable
}

}  // namespace
