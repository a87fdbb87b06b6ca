// The restoration-list benchmark on small lists: the files it writes, the dialog run it times
// and the baseline it compares with.
#include "bench/restore_bench.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>

#include "bench/measure.h"
#include "platform/test_support/temp_folder.h"
#include "bench/tree_census.h"
#include "store/store_layout.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RestoreBenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PrepareRestoreList(m_temp.Path(), 100, m_setup));
  }

  TempFolder m_temp;
  RestoreListSetup m_setup;
};

TEST_F(RestoreBenchTest, WritesDistinctEntriesAndTheOneBackupCopyNeeded) {
  const std::string text = ReadFile(m_setup.listPath);
  EXPECT_EQ(text, m_setup.listText);
  EXPECT_EQ(text.size(), m_setup.listBytes);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), ';');

  std::set<std::string> entries;
  std::vector<std::string> order;
  for (std::size_t from = 0, end; (end = text.find(';', from)) != std::string::npos;
       from = end + 1) {
    order.push_back(text.substr(from, end - from));
    entries.insert(order.back());
  }
  EXPECT_EQ(order.size(), 100u);
  EXPECT_EQ(entries.size(), 100u);
  EXPECT_EQ(m_setup.restoredIndex, 50);
  EXPECT_EQ(order[50], m_setup.restoredPath);
  EXPECT_NE(m_setup.restoredPath.find("//file000050.txt"), std::string::npos);

  EXPECT_FALSE(std::filesystem::exists(m_setup.restoredPath));
  EXPECT_TRUE(
      std::filesystem::is_directory(std::filesystem::path(m_setup.restoredPath).parent_path()));
  const std::optional<std::string> own =
      OwnCopyPathIn(m_setup.programFolder + "/backups/", m_setup.restoredPath);
  ASSERT_TRUE(own.has_value());
  EXPECT_TRUE(std::filesystem::is_regular_file(*own));
}

TEST_F(RestoreBenchTest, TheDialogRunRestoresOneEntryAndRewritesTheList) {
  const RunOutcome outcome = RunInChild([&](int fd) { return RestoreInChild(m_setup, fd); });
  ASSERT_TRUE(outcome.completed) << outcome.failure << outcome.report;
  RestoreRunReport report;
  ASSERT_TRUE(ParseRestoreReport(outcome.report, report)) << outcome.report;
  EXPECT_EQ(report.loadedCount, 100);
  EXPECT_EQ(report.remainingCount, 99);
  EXPECT_EQ(report.messages, "File Restored\n");
  EXPECT_GT(report.loadSeconds, 0.0);
  EXPECT_GT(report.restoreSeconds, 0.0);

  EXPECT_EQ(ReadFile(m_setup.restoredPath), "the restored file\n");
  const std::string rewritten = ReadFile(m_setup.listPath);
  std::uint64_t records = 0;
  ASSERT_FALSE(CountRecords(m_setup.listPath, records));
  EXPECT_EQ(records, 99u);
  EXPECT_EQ(rewritten.find(m_setup.restoredPath + ";"), std::string::npos);

  ASSERT_FALSE(ResetRestoreList(m_setup));
  EXPECT_FALSE(std::filesystem::exists(m_setup.restoredPath));
  EXPECT_EQ(ReadFile(m_setup.listPath), m_setup.listText);
}

TEST_F(RestoreBenchTest, TheBaselineSplitsEveryEntry) {
  const RunOutcome outcome = RunInChild([&](int fd) { return SplitListInChild(m_setup, fd); });
  ASSERT_TRUE(outcome.completed) << outcome.report;
  SplitRunReport report;
  ASSERT_TRUE(ParseSplitReport(outcome.report, report)) << outcome.report;
  EXPECT_EQ(report.entries, 100u);
  EXPECT_GT(report.seconds, 0.0);

  std::filesystem::remove(m_setup.listPath);
  EXPECT_FALSE(RunInChild([&](int fd) { return SplitListInChild(m_setup, fd); }).completed);
}

TEST_F(RestoreBenchTest, OneSizeMeasuredWithoutProblems) {
  RestoreRow row;
  std::string failure;
  ASSERT_TRUE(BenchRestoreList(m_temp.Path(), 300, 1, false, row, failure)) << failure;
  EXPECT_TRUE(row.problems.empty()) << row.problems.front();
  EXPECT_EQ(row.entries, 300u);
  EXPECT_GT(row.loadSeconds, 0.0);
  EXPECT_GT(row.baselineSeconds, 0.0);
}

TEST_F(RestoreBenchTest, ADialogThatCannotLoadShowsInTheReport) {
  // A backups folder the dialog cannot use: the list cannot be opened, nothing loads.
  RestoreListSetup broken;
  ASSERT_FALSE(PrepareRestoreList(m_temp.Path(), 40, broken));
  std::filesystem::remove_all(broken.programFolder + "/backups");
  std::ofstream(broken.programFolder + "/backups") << "not a folder";
  const RunOutcome outcome = RunInChild([&](int fd) { return RestoreInChild(broken, fd); });
  RestoreRunReport report;
  ASSERT_TRUE(ParseRestoreReport(outcome.report, report)) << outcome.report;
  EXPECT_EQ(report.loadedCount, 0);
  EXPECT_NE(report.messages, "File Restored\n");
}

TEST(ParseReports, RejectWhatTheChildrenNeverWrite) {
  RestoreRunReport restore;
  EXPECT_FALSE(ParseRestoreReport("", restore));
  EXPECT_FALSE(ParseRestoreReport("0.1 0.2 3\n", restore));
  ASSERT_TRUE(ParseRestoreReport("0.5 0.25 10 9\nFile Restored\n", restore));
  EXPECT_EQ(restore.loadSeconds, 0.5);
  EXPECT_EQ(restore.restoreSeconds, 0.25);
  EXPECT_EQ(restore.loadedCount, 10);
  EXPECT_EQ(restore.remainingCount, 9);
  EXPECT_EQ(restore.messages, "File Restored\n");

  SplitRunReport split;
  EXPECT_FALSE(ParseSplitReport("cannot read /x", split));
  ASSERT_TRUE(ParseSplitReport("0.125 100000\n", split));
  EXPECT_EQ(split.seconds, 0.125);
  EXPECT_EQ(split.entries, 100000u);
}

}  // namespace
