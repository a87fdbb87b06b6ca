// The engine child must make the very clean the main dialog makes and report it truly.
#include "bench/engine_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "bench/measure.h"
#include "platform/test_support/temp_folder.h"
#include "bench/tree_census.h"
#include "bench/tree_generator.h"

namespace {

class EngineRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_tree = m_temp.Path() + "/tree";
    ASSERT_FALSE(WriteTree(PlanTree({"tiny", 5, 3, 30, 0, 2000, 1, 3}), m_tree));
    ASSERT_FALSE(CensusTree(m_tree, m_census));
    ASSERT_EQ(m_census.txt.files, 10u);
    m_program = m_temp.Path() + "/program";
    ASSERT_TRUE(std::filesystem::create_directory(m_program));
  }

  EngineRunReport Run(const EngineJob& job) {
    const RunOutcome outcome = RunInChild([&](int fd) { return CleanInChild(job, fd); });
    EXPECT_TRUE(outcome.completed) << outcome.failure << outcome.report;
    EngineRunReport report;
    EXPECT_TRUE(ParseEngineReport(outcome.report, report)) << outcome.report;
    return report;
  }

  TempFolder m_temp;
  std::string m_tree;
  std::string m_program;  // the folder the program runs from; the engine adds backups/
  TreeCensus m_census;
};

TEST_F(EngineRunTest, CleanCopiesAndRecordsEveryTxtFile) {
  const std::string& program = m_program;
  const EngineRunReport report = Run({m_tree, program, "*.txt", "*.txt"});
  EXPECT_EQ(report.result, 0);
  EXPECT_EQ(report.messages, 0u) << report.firstMessage;
  EXPECT_EQ(report.visited, m_census.all.files);
  EXPECT_EQ(report.backedUp, m_census.txt.files);
  EXPECT_GT(report.flushSeconds, 0.0);  // the clean ends with its flush to disk

  FileTally copies;
  ASSERT_FALSE(TallyFolder(program + "/backups", "txtBACKUP", copies));
  EXPECT_EQ(copies.files, m_census.txt.files);
  EXPECT_EQ(copies.bytes, m_census.txt.bytes);
  std::uint64_t records = 0;
  ASSERT_FALSE(CountRecords(program + "/backups/list.txt", records));
  EXPECT_EQ(records, m_census.txt.files);
}

TEST_F(EngineRunTest, AFilterThatPassesNothingOnlyWalks) {
  const std::string& program = m_program;
  const EngineRunReport report = Run({m_tree, program, "*.nomatch", "*.nomatch"});
  EXPECT_EQ(report.result, 0);
  EXPECT_EQ(report.visited, m_census.all.files);
  EXPECT_EQ(report.backedUp, 0u);
  EXPECT_EQ(report.flushSeconds, 0.0);  // nothing written, nothing to flush
  FileTally copies;
  ASSERT_FALSE(TallyFolder(program + "/backups", "BACKUP", copies));
  EXPECT_EQ(copies.files, 0u);
}

TEST_F(EngineRunTest, PrintedPathsNeverReachTheParentsOutput) {
  std::FILE* capture = std::tmpfile();
  ASSERT_NE(capture, nullptr);
  std::fflush(stdout);
  const int saved = ::dup(1);
  ASSERT_GE(saved, 0);
  ASSERT_GE(::dup2(::fileno(capture), 1), 0);
  const EngineRunReport report = Run({m_tree, m_program, "*.txt", "*"});
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  EXPECT_EQ(report.backedUp, m_census.txt.files);
  std::fseek(capture, 0, SEEK_END);
  EXPECT_EQ(std::ftell(capture), 0L);
  std::fclose(capture);
}

TEST_F(EngineRunTest, AMissingTreeIsReportedNotHidden) {
  const EngineRunReport report = Run({m_tree + "/missing", m_program, "*.txt", "*.txt"});
  EXPECT_NE(report.result, 0);
  EXPECT_EQ(report.visited, 0u);
}

TEST(ParseEngineReport, ReadsTheLineAndTheFirstMessage) {
  EngineRunReport report;
  ASSERT_TRUE(ParseEngineReport("12 4 2 -1 0.250000\nCopyFile failed.", report));
  EXPECT_EQ(report.visited, 12u);
  EXPECT_EQ(report.backedUp, 4u);
  EXPECT_EQ(report.messages, 2u);
  EXPECT_EQ(report.result, -1);
  EXPECT_EQ(report.flushSeconds, 0.25);
  EXPECT_EQ(report.firstMessage, "CopyFile failed.");
  EXPECT_FALSE(ParseEngineReport("", report));
  EXPECT_FALSE(ParseEngineReport("12 4\n", report));
  EXPECT_FALSE(ParseEngineReport("cannot send standard output to /dev/null", report));
}

}  // namespace
