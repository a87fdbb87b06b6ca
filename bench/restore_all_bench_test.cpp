// The bulk-restore benchmark on a small tree, with the real executable: the store it prepares,
// the runs it checks, and the target it judges.
#include "bench/restore_all_bench.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class RestoreAllBenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PrepareRestoreAll(m_temp.Path(), QUILLMAR_BENCH_PROGRAM, 40, m_setup));
  }

  TempFolder m_temp;
  RestoreAllSetup m_setup;
};

TEST_F(RestoreAllBenchTest, PreparesACleanedStoreWhoseFilesAreGone) {
  EXPECT_EQ(m_setup.census.all.files, 40u);
  EXPECT_FALSE(fs::exists(m_setup.tree));
  TreeCensus mirrored;
  ASSERT_FALSE(CensusTree(m_setup.mirror, mirrored));
  EXPECT_EQ(mirrored.all.files, 40u);
  EXPECT_EQ(mirrored.all.bytes, m_setup.census.all.bytes);
  std::size_t records = 0;
  for (const char c : m_setup.listText) records += c == ';' ? 1 : 0;
  EXPECT_EQ(records, 40u);
}

TEST_F(RestoreAllBenchTest, EachToolPutsTheWholeTreeBackAndEveryRunKeepsItsFiles) {
  RestoreAllRow row;
  std::string failure;
  ASSERT_TRUE(BenchRestoreAll(m_setup, 2, 1, false, row, failure)) << failure;
  EXPECT_TRUE(row.problems.empty()) << row.problems.front();
  EXPECT_GT(row.restoreSeconds, 0);
  EXPECT_GT(row.copySeconds, 0);
  EXPECT_GT(row.copySyncSeconds, 0);
  EXPECT_GT(row.copyAsRestoredSeconds, 0);
  EXPECT_GT(row.restorePeakMiB, 0);
  // Three restores and nine copies, none deleted: the last restore is in place, the others
  // moved aside.
  EXPECT_TRUE(fs::is_directory(m_setup.tree));
  for (const char* kept : {"/restored-1", "/restored-2", "/copy-0", "/copy-8"}) {
    EXPECT_TRUE(fs::is_directory(m_setup.folder + kept)) << kept;
  }
}

TEST_F(RestoreAllBenchTest, ARestoreThatLeavesFilesOutIsAProblem) {
  // A list that lost its first record: that file never comes back.
  RestoreAllSetup shortened = m_setup;
  shortened.listText.erase(0, shortened.listText.find(';') + 1);
  RestoreAllRow row;
  std::string failure;
  ASSERT_TRUE(BenchRestoreAll(shortened, 1, 0, false, row, failure)) << failure;
  ASSERT_EQ(row.problems.size(), 1u);
  EXPECT_NE(row.problems[0].find("restore --all --yes left 39 files"), std::string::npos)
      << row.problems[0];
}

TEST(RestoreAllTargets, TheRatioToCpOfAHundredThousandEntriesIsJudgedAlone) {
  RestoreAllRow small{.entries = 20000, .runs = 3, .restoreSeconds = 9, .copySeconds = 1};
  RestoreAllRow large{.entries = 100000, .runs = 3, .restoreSeconds = 3, .copySeconds = 2};
  std::vector<TargetCheck> checks = CheckRestoreAllTargets({small, large});
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_TRUE(checks[0].measured);
  EXPECT_TRUE(checks[0].met);
  EXPECT_EQ(checks[0].figure, "1.50");
  large.restoreSeconds = 4.2;
  EXPECT_FALSE(CheckRestoreAllTargets({large})[0].met);
  EXPECT_FALSE(CheckRestoreAllTargets({small})[0].measured);
}

}  // namespace
