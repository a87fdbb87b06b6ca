// One small shape through the whole tree benchmark: four rows, true counts, nothing left over.
#include "bench/tree_bench.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "bench/measure.h"
#include "platform/test_support/temp_folder.h"
#include "bench/tree_generator.h"

namespace {

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(BenchShape, SixCheckedRowsAndCleanScratch) {
  TempFolder temp;
  ShapeBenchSetup setup;
  setup.shape = "tiny";
  setup.tree = temp.Path() + "/tree";
  setup.scratch = temp.Path() + "/scratch";
  setup.runs = 2;
  ASSERT_FALSE(WriteTree(PlanTree({"tiny", 8, 4, 60, 0, 4000, 1, 3}), setup.tree));
  ASSERT_FALSE(CensusTree(setup.tree, setup.census));

  std::string failure;
  const std::vector<ToolRow> rows = BenchShape(setup, failure);
  ASSERT_EQ(rows.size(), 6u) << failure;
  for (const ToolRow& row : rows) {
    EXPECT_TRUE(row.problems.empty()) << row.problems.front();
    EXPECT_EQ(row.shape, "tiny");
    EXPECT_EQ(row.visited, 60u) << row.tool;
    EXPECT_GT(row.medianSeconds, 0.0) << row.tool;
    EXPECT_GT(row.peakRssMiB, 0.0) << row.tool;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].baseline, i % 2 == 1) << i;
  for (std::size_t i : {0, 1, 2, 3}) {
    EXPECT_EQ(rows[i].backedUp, setup.census.txt.files) << rows[i].tool;
    EXPECT_EQ(rows[i].bytes, setup.census.txt.bytes) << rows[i].tool;
  }
  EXPECT_EQ(rows[4].backedUp, 0u);
  EXPECT_FALSE(rows[5].backedUp.has_value());
  for (std::size_t i : {0, 2, 4}) {
    EXPECT_DOUBLE_EQ(rows[i].ratio, rows[i].medianSeconds / rows[i + 1].medianSeconds);
  }
  EXPECT_DOUBLE_EQ(rows[1].ratio, 1.0);
  // The same runs of the clean, once without the flush that ends them.
  EXPECT_LE(rows[0].medianSeconds, rows[2].medianSeconds);

  // Few copies per run: one output folder per tool, emptied before each run.
  EXPECT_EQ(Entries(setup.scratch), (std::set<std::string>{"clean", "copies", "synced", "walk"}));
}

TEST(BenchShape, ManyCopiesPerRunGetAFolderPerRound) {
  TempFolder temp;
  ShapeBenchSetup setup;
  setup.shape = "many";
  setup.tree = temp.Path() + "/tree";
  setup.scratch = temp.Path() + "/scratch";
  setup.runs = 1;
  ASSERT_FALSE(WriteTree(PlanTree({"many", 3, 2, 330, 0, 100, 1, 3}), setup.tree));
  ASSERT_FALSE(CensusTree(setup.tree, setup.census));
  ASSERT_GT(setup.census.txt.files, 100u);

  std::string failure;
  const std::vector<ToolRow> rows = BenchShape(setup, failure);
  ASSERT_EQ(rows.size(), 6u) << failure;
  for (const ToolRow& row : rows) EXPECT_TRUE(row.problems.empty()) << row.problems.front();
  EXPECT_EQ(Entries(setup.scratch),
            (std::set<std::string>{"clean-0", "clean-1", "copies-0", "copies-1", "synced-0",
                                   "synced-1", "walk-0", "walk-1"}));
  // The warm-up round copied everything too.
  FileTally warmUp;
  ASSERT_FALSE(TallyFolder(setup.scratch + "/copies-0", "", warmUp));
  EXPECT_EQ(warmUp.files, setup.census.txt.files);
}

TEST(BenchShape, AToolThatCannotRunIsAFailureNotARow) {
  TempFolder temp;
  ShapeBenchSetup setup;
  setup.shape = "missing";
  setup.tree = temp.Path() + "/no-tree";
  setup.scratch = temp.Path() + "/scratch";
  setup.runs = 1;
  std::string failure;
  // find fails on a missing tree, so the copy baseline exits nonzero.
  EXPECT_TRUE(BenchShape(setup, failure).empty());
  EXPECT_NE(failure.find("find -exec cp -p"), std::string::npos) << failure;
}

TEST(BaselineCommands, TreeAndDestinationAreArgumentsNotShellText) {
  TempFolder temp;
  const std::string tree = temp.Path() + "/a tree; with $odd 'names'";
  const std::string dest = temp.Path() + "/dest \"folder\"";
  std::filesystem::create_directories(tree + "/sub");
  std::filesystem::create_directories(dest);
  for (const char* name : {"/x.txt", "/sub/y.txt", "/z.dat"}) {
    std::FILE* f = std::fopen((tree + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_TRUE(RunProgram(CopyBaselineCommand(tree, dest)).completed);
  EXPECT_TRUE(std::filesystem::exists(dest + "/x.txt"));
  EXPECT_TRUE(std::filesystem::exists(dest + "/y.txt"));
  EXPECT_FALSE(std::filesystem::exists(dest + "/z.dat"));
  EXPECT_TRUE(RunProgram(WalkBaselineCommand(tree)).completed);
  EXPECT_FALSE(RunProgram(WalkBaselineCommand(tree + "/missing")).completed);
}

}  // namespace
