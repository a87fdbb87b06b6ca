// The repeated-clean benchmark on a small tree, with the real executable and rsync: every
// round's checks pass on a sound store and catch a store that does not hold the tree once.
#include "bench/unchanged_clean_bench.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/test_support/temp_folder.h"
#include "bench/tree_generator.h"

namespace {

namespace fs = std::filesystem;

class UnchangedCleanBenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_setup.shape = "tiny";
    m_setup.tree = m_temp.Path() + "/tiny";
    m_setup.scratch = m_temp.Path() + "/scratch";
    m_setup.program = QUILLMAR_BENCH_PROGRAM;
    m_setup.runs = 1;
    ASSERT_FALSE(WriteTree(PlanTree({"tiny", 4, 2, 150, 0, 2048, 1, 3}), m_setup.tree));
  }

  TempFolder m_temp;
  UnchangedCleanSetup m_setup;
};

TEST_F(UnchangedCleanBenchTest, EveryRoundHoldsTheTreeOnceAndKeepsTheChangedFilesAsVersions) {
  UnchangedCleanResult result;
  std::string failure;
  ASSERT_TRUE(BenchUnchangedClean(m_setup, result, failure)) << failure;
  EXPECT_TRUE(result.problems.empty()) << result.problems.front();
  EXPECT_EQ(result.census.all.files, 150u);
  EXPECT_EQ(result.storeAfterThree.files, 150u);
  EXPECT_EQ(result.storeAfterThree.bytes, result.census.all.bytes);
  // Each file's own copy and the shared copy of its name.
  EXPECT_EQ(result.storeAfterThree.names, 300u);
  EXPECT_EQ(result.changedFiles, 2u);
  EXPECT_EQ(result.versions.versions, 2u);
  EXPECT_EQ(result.versions.bytes, result.changedBytes);
  for (const UnchangedStageTimes& stage : result.stages) {
    EXPECT_GT(stage.cleanSeconds, 0);
    EXPECT_GT(stage.rsyncSeconds, 0);
    EXPECT_GT(stage.cleanPeakMiB, 0);
  }
  EXPECT_GT(result.stages[kSecondClean].findSeconds, 0);
  EXPECT_EQ(result.stages[kChangedClean].findSeconds, 0);
  // The generated tree itself is never changed, only its copy, where the round before the
  // last added a byte to each file it changed.
  TreeCensus original;
  ASSERT_FALSE(CensusTree(m_setup.tree, original));
  EXPECT_EQ(result.census.all.bytes, original.all.bytes + result.changedFiles);
}

TEST_F(UnchangedCleanBenchTest, AProgramThatCopiesNothingIsAProblemInEveryCheck) {
  // A stand-in that succeeds without a store: no counts, no copies, no versions.
  m_setup.program = "/bin/true";
  m_setup.runs = 0;
  UnchangedCleanResult result;
  std::string failure;
  ASSERT_TRUE(BenchUnchangedClean(m_setup, result, failure)) << failure;
  const auto mentions = [&](const std::string& text) {
    for (const std::string& problem : result.problems) {
      if (problem.find(text) != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_TRUE(mentions("tiny, round 0: 2nd, unchanged quillmar clean printed no counts"));
  EXPECT_TRUE(mentions("round 0: cannot measure the store"));
  EXPECT_TRUE(mentions("no version of "));
}

TEST(UnchangedCleanTargets, EachUnchangedCleanIsJudgedAgainstRsyncAlone) {
  UnchangedCleanResult result;
  result.shape = "wide-flat";
  result.stages[kSecondClean] = {0.9, 1.0, 0.1, 3};
  result.stages[kThirdClean] = {1.2, 1.0, 0.1, 3};
  result.stages[kChangedClean] = {5.0, 1.0, 0, 3};
  const std::vector<TargetCheck> checks = CheckUnchangedCleanTargets({result});
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].name, "wide-flat: 2nd clean, unchanged / rsync -a; sync <= 1.00");
  EXPECT_EQ(checks[0].figure, "0.900");
  EXPECT_TRUE(checks[0].met);
  EXPECT_TRUE(checks[1].measured);
  EXPECT_FALSE(checks[1].met);
  result.stages[kThirdClean].rsyncSeconds = 0;
  EXPECT_FALSE(CheckUnchangedCleanTargets({result})[1].measured);
}

}  // namespace
