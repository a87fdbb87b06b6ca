// The child runner must pass back what the child said, how it ended and how much memory it
// used, or every figure of the benchmark would be wrong.
#include "bench/measure.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/test_support/temp_folder.h"

namespace {

TEST(RunInChild, PassesBackTheReportAndTheExitStatus) {
  const RunOutcome ok =
      RunInChild([](int fd) { return WriteAll(fd, "hello from the child") ? 0 : 9; });
  EXPECT_TRUE(ok.failure.empty()) << ok.failure;
  EXPECT_TRUE(ok.completed);
  EXPECT_EQ(ok.exitStatus, 0);
  EXPECT_EQ(ok.report, "hello from the child");
  EXPECT_GT(ok.seconds, 0.0);

  const RunOutcome failed = RunInChild([](int) { return 7; });
  EXPECT_FALSE(failed.completed);
  EXPECT_EQ(failed.exitStatus, 7);
  EXPECT_TRUE(failed.report.empty());
}

TEST(RunInChild, ALargeReportArrivesWhole) {
  const std::string big(1 << 20, 'x');
  const RunOutcome outcome = RunInChild([&](int fd) { return WriteAll(fd, big) ? 0 : 1; });
  EXPECT_TRUE(outcome.completed);
  EXPECT_EQ(outcome.report.size(), big.size());
}

TEST(RunInChild, AKilledChildIsNotCompleted) {
  const RunOutcome outcome = RunInChild([](int) {
    ::raise(SIGKILL);
    return 0;
  });
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.exitStatus, 128 + SIGKILL);
}

TEST(RunInChild, AnExceptionInTheChildIsAFailedRun) {
  const RunOutcome outcome = RunInChild([](int) -> int { throw 1; });
  EXPECT_FALSE(outcome.completed);
  EXPECT_NE(outcome.report.find("exception"), std::string::npos);
}

TEST(RunInChild, TheChildsStateDoesNotReachTheParent) {
  int value = 1;
  const RunOutcome outcome = RunInChild([&](int) {
    value = 2;
    return 0;
  });
  EXPECT_TRUE(outcome.completed);
  EXPECT_EQ(value, 1);
}

TEST(RunInChild, PeakMemoryFollowsWhatTheChildTouches) {
  constexpr std::size_t kTouched = 96u << 20;
  const RunOutcome idle = RunInChild([](int) { return 0; });
  const RunOutcome busy = RunInChild([](int) {
    std::vector<char> block(kTouched);
    std::memset(block.data(), 1, block.size());
    return block[kTouched / 2] == 1 ? 0 : 1;
  });
  ASSERT_TRUE(idle.completed);
  ASSERT_TRUE(busy.completed);
  EXPECT_GE(busy.peakRssMiB, 96.0);
  EXPECT_LT(idle.peakRssMiB, busy.peakRssMiB - 64.0);
}

TEST(RunProgram, ReportsExitStatusAndSpawnFailures) {
  EXPECT_TRUE(RunProgram({"true"}).completed);
  const RunOutcome three = RunProgram({"sh", "-c", "exit 3"});
  EXPECT_FALSE(three.completed);
  EXPECT_EQ(three.exitStatus, 3);
  const RunOutcome missing = RunProgram({"/nonexistent/quillmar-no-such-program"});
  EXPECT_FALSE(missing.completed);
  EXPECT_FALSE(missing.failure.empty());
  EXPECT_FALSE(RunProgram({}).failure.empty());
}

TEST(RunProgram, StandardInputIsEmptyAndArgumentsArriveUnchanged) {
  // read fails at once on /dev/null; on an inherited terminal it would wait.
  EXPECT_TRUE(RunProgram({"sh", "-c", "if read line; then exit 1; fi"}).completed);
  EXPECT_TRUE(RunProgram({"sh", "-c", "test \"$1\" = 'a b;c'", "sh", "a b;c"}).completed);
}

TEST(RunProgram, StandardOutputGoesToTheFileGivenEmptiedFirst) {
  TempFolder temp;
  const std::string output = temp.Path() + "/out";
  ASSERT_TRUE(RunProgram({"sh", "-c", "echo first run; echo more"}, output).completed);
  ASSERT_TRUE(RunProgram({"echo", "second"}, output).completed);
  std::ifstream in(output);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "second\n");
}

TEST(Median, MiddleValueOfUnsortedInput) {
  EXPECT_EQ(Median({}), 0.0);
  EXPECT_EQ(Median({4.0}), 4.0);
  EXPECT_EQ(Median({5.0, 1.0, 3.0}), 3.0);
  EXPECT_EQ(Median({9.0, 1.0, 3.0, 5.0}), 4.0);
  EXPECT_EQ(Median({2.0, 100.0, 1.0, 3.0, 2.5}), 2.5);
}

}  // namespace
