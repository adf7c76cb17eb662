#include "platform/filter_program.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <string>

namespace {

// Runs sh -c script with input; output collected.
FilterOutcome runScript(const std::string& script, std::string_view input,
                        std::string* output) {
  return runFilterProgram(
      "/bin/sh", {"sh", "-c", script}, input,
      [output](std::string_view bytes) { output->append(bytes); });
}

TEST(FilterProgramTest, InputComesBackThroughAProgramThatReadsItAll) {
  // More than a pipe holds both ways: cat writes before it has read all.
  std::string input;
  for (int i = 0; i < 200000; ++i) input += "line " + std::to_string(i) + "\n";
  std::string output;
  const FilterOutcome outcome = runScript("cat", input, &output);
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(output, input);
  EXPECT_EQ(outcome.errors, "");
}

TEST(FilterProgramTest, ArgumentsReachTheProgramAsTheyAre) {
  std::string output;
  const FilterOutcome outcome = runFilterProgram(
      "/bin/sh", {"sh", "-c", "printf '%s|' \"$@\"", "x", "a b", "$(id)", ";"},
      "", [&](std::string_view bytes) { output.append(bytes); });
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(output, "a b|$(id)|;|");
}

TEST(FilterProgramTest, AProgramThatEndsEarlyCostsNoSignal) {
  // It never reads its 8 MB of input: the writes fail with EPIPE, this
  // process is not ended by SIGPIPE, and its exit status and reason come
  // back.
  const std::string input(8 * 1024 * 1024, 'x');
  std::string output;
  const FilterOutcome outcome =
      runScript("echo 'the SVG cannot be read' >&2; exit 3", input, &output);
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitStatus, 3);
  EXPECT_EQ(outcome.errors, "the SVG cannot be read\n");
  sigset_t pending;
  sigpending(&pending);
  EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
  // And SIGPIPE is not left blocked.
  sigset_t mask;
  pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  EXPECT_EQ(sigismember(&mask, SIGPIPE), 0);
}

TEST(FilterProgramTest, AProgramEndedByASignalSaysWhich) {
  std::string output;
  const FilterOutcome outcome = runScript("kill -KILL $$", "svg", &output);
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.signal, SIGKILL);
  EXPECT_EQ(outcome.exitStatus, -1);
}

TEST(FilterProgramTest, AMissingProgramIsNotStarted) {
  std::string output;
  const FilterOutcome outcome = runFilterProgram(
      "/nonexistent/flowsvg-picture", {"flowsvg-picture"}, "svg",
      [&](std::string_view bytes) { output.append(bytes); });
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.startReason, u"No such file or directory");
  EXPECT_EQ(output, "");
}

TEST(FilterProgramTest, StandardErrorIsKeptUpToItsLimit) {
  std::string output;
  const FilterOutcome outcome =
      runScript("head -c 100000 /dev/zero >&2; exit 1", "", &output);
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.errors.size(), 16u * 1024u);
}

}  // namespace
