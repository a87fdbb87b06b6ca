// One small shape through the whole tree benchmark: four rows, true counts, nothing left over.
#include "bench/tree_bench.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "bench/measure.h"
#include "bench/temp_folder.h"
#include "bench/tree_generator.h"

namespace {

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(BenchShape, FourCheckedRowsAndCleanScratch) {
  TempFolder temp;
  ASSERT_FALSE(temp.Path().empty());
  ShapeBenchSetup setup;
  setup.shape = "tiny";
  setup.tree = temp.Path() + "/tree";
  setup.scratch = temp.Path() + "/scratch";
  setup.runs = 2;
  ASSERT_FALSE(WriteTree(PlanTree({"tiny", 8, 4, 60, 0, 4000, 1, 3}), setup.tree));
  ASSERT_FALSE(CensusTree(setup.tree, setup.census));

  std::string failure;
  const std::vector<ToolRow> rows = BenchShape(setup, failure);
  ASSERT_EQ(rows.size(), 4u) << failure;
  for (const ToolRow& row : rows) {
    EXPECT_TRUE(row.problems.empty()) << row.problems.front();
    EXPECT_EQ(row.shape, "tiny");
    EXPECT_EQ(row.visited, 60u) << row.tool;
    EXPECT_GT(row.medianSeconds, 0.0) << row.tool;
    EXPECT_GT(row.peakRssMiB, 0.0) << row.tool;
  }
  EXPECT_FALSE(rows[0].baseline);
  EXPECT_TRUE(rows[1].baseline);
  EXPECT_FALSE(rows[2].baseline);
  EXPECT_TRUE(rows[3].baseline);
  EXPECT_EQ(rows[0].backedUp, setup.census.txt.files);
  EXPECT_EQ(rows[0].bytes, setup.census.txt.bytes);
  EXPECT_EQ(rows[1].backedUp, setup.census.txt.files);
  EXPECT_EQ(rows[1].bytes, setup.census.txt.bytes);
  EXPECT_EQ(rows[2].backedUp, 0u);
  EXPECT_FALSE(rows[3].backedUp.has_value());
  EXPECT_DOUBLE_EQ(rows[0].ratio, rows[0].medianSeconds / rows[1].medianSeconds);
  EXPECT_DOUBLE_EQ(rows[2].ratio, rows[2].medianSeconds / rows[3].medianSeconds);
  EXPECT_DOUBLE_EQ(rows[1].ratio, 1.0);

  // Few copies per run: one output folder per tool, emptied before each run.
  EXPECT_EQ(Entries(setup.scratch), (std::set<std::string>{"clean", "copies", "walk"}));
}

TEST(BenchShape, ManyCopiesPerRunGetAFolderPerRound) {
  TempFolder temp;
  ASSERT_FALSE(temp.Path().empty());
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
  ASSERT_EQ(rows.size(), 4u) << failure;
  for (const ToolRow& row : rows) EXPECT_TRUE(row.problems.empty()) << row.problems.front();
  EXPECT_EQ(Entries(setup.scratch), (std::set<std::string>{"clean-0", "clean-1", "copies-0",
                                                           "copies-1", "walk-0", "walk-1"}));
  // The warm-up round copied everything too.
  FileTally warmUp;
  ASSERT_FALSE(TallyFolder(setup.scratch + "/copies-0", "", warmUp));
  EXPECT_EQ(warmUp.files, setup.census.txt.files);
}

TEST(BenchShape, AToolThatCannotRunIsAFailureNotARow) {
  TempFolder temp;
  ASSERT_FALSE(temp.Path().empty());
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
  ASSERT_FALSE(temp.Path().empty());
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
