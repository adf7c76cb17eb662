#include "platform/launch.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "testing/test_support.h"
#include "base/utf8.h"

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

  // The record, once the started program has written it (polled; the
  // program runs on its own).
  std::string awaitRecord() const {
    for (int i = 0; i < 1000 && !fs::exists(record()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return readBytes(record());
  }

  // Starts argv; expects a process, reaps it, and gives its exit status
  // (-1 when it did not exit by itself).
  static int exitStatusOf(const std::vector<std::string>& argv) {
    Text reason;
    const int64_t process = launchProgram(argv, &reason);
    EXPECT_GT(process, 0) << encodeUtf8(reason);
    if (process <= 0) return -1;
    int status = 0;
    EXPECT_EQ(waitpid(static_cast<pid_t>(process), &status, 0), process);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    EXPECT_EQ(exitStatusOf({recorder_.string(), argument}), 0);
    EXPECT_EQ(awaitRecord(), "1\n[" + argument + "]\n");
    EXPECT_FALSE(fs::exists(marker));
  }
}

TEST_F(LaunchTest, FindsTheProgramInPath) {
  const char* old = getenv("PATH");
  const std::string saved = old != nullptr ? old : "";
  setenv("PATH", ("/nonexistent:" + root_.string() + ":" + saved).c_str(), 1);
  const int status = exitStatusOf({"recorder", "one", "two"});
  setenv("PATH", saved.c_str(), 1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(awaitRecord(), "2\n[one]\n[two]\n");
}

TEST_F(LaunchTest, TheProgramsExitStatusIsTheCallersToRead) {
  const fs::path failing = root_ / "failing";
  std::ofstream(failing) << "#!/bin/sh\nexit 3\n";
  chmod(failing.c_str(), 0755);
  EXPECT_EQ(exitStatusOf({failing.string()}), 3);
}

TEST_F(LaunchTest, TheProgramRunsInASessionOfItsOwnWithNoSignalBlocked) {
  const fs::path reporter = root_ / "session";
  std::ofstream(reporter) << "#!/bin/sh\n"
                          << "cut -d' ' -f6 /proc/$$/stat > '"
                          << (root_ / "sid").string()
                          // Read with built-ins only: while the shell
                          // starts a command it blocks its own signals for
                          // a moment, which a command reading its status
                          // could see.
                          << "'\nwhile read -r line; do case $line in "
                          << "SigBlk*) printf '%s\\n' \"$line\" > '"
                          << (root_ / "blocked").string()
                          << "';; esac; done < /proc/$$/status\n";
  chmod(reporter.c_str(), 0755);
  sigset_t blocked;
  sigset_t before;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, &before);
  const int status = exitStatusOf({reporter.string()});
  sigprocmask(SIG_SETMASK, &before, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_NE(std::stol(readBytes(root_ / "sid")), static_cast<long>(getsid(0)));
#ifndef __SANITIZE_ADDRESS__
  // (AddressSanitizer's own posix_spawn starts every program with nearly
  // all signals blocked, whatever the attributes say; the programs as
  // shipped are not built with it.)
  EXPECT_EQ(readBytes(root_ / "blocked"), "SigBlk:\t0000000000000000\n");
#endif
}

TEST_F(LaunchTest, ReportsWhatCannotBeStartedWithTheSystemsReason) {
  const fs::path plain = root_ / "plain";
  std::ofstream(plain) << "not a program\n";
  struct Case {
    std::vector<std::string> argv;
    std::string reason;
  };
  const Case cases[] = {
      {{}, ": No such file or directory"},
      {{""}, ": No such file or directory"},
      {{"flowsvg-no-such-program-anywhere"},
       "flowsvg-no-such-program-anywhere: No such file or directory"},
      {{(root_ / "missing").string()},
       (root_ / "missing").string() + ": No such file or directory"},
      {{root_.string()}, root_.string() + ": Permission denied"},  // a folder
      {{plain.string()}, plain.string() + ": Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    Text reason;
    EXPECT_EQ(launchProgram(c.argv, &reason), 0);
    EXPECT_EQ(encodeUtf8(reason), c.reason);
  }
}

}  // namespace
