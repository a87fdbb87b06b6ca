// The verdicts must follow the bounds exactly and never call a target met without figures.
#include "bench/report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

ToolRow Row(const std::string& shape, const std::string& tool, double ratio, double peak) {
  ToolRow row;
  row.shape = shape;
  row.tool = tool;
  row.ratio = ratio;
  row.peakRssMiB = peak;
  return row;
}

// Six rows per shape, in BenchShape's order: clean unflushed, cp, clean whole, cp and sync,
// walk, find. Each ratio differs from the others, so that no target can read another's.
void AddShape(std::vector<ToolRow>& rows, const std::string& shape, double clean, double walk,
              double peak = 3.0, double whole = 99.0) {
  rows.push_back(Row(shape, "clean unflushed", clean, 1.0));
  rows.push_back(Row(shape, "cp", 1.0, 2.0));
  rows.push_back(Row(shape, "clean", whole, peak));
  rows.push_back(Row(shape, "cp; sync", 1.0, 2.0));
  rows.push_back(Row(shape, "walk", walk, peak));
  rows.push_back(Row(shape, "find", 1.0, 2.0));
}

RestoreRow List(std::uint32_t entries, double load, double restore, double split) {
  RestoreRow row;
  row.entries = entries;
  row.loadSeconds = load;
  row.restoreSeconds = restore;
  row.baselineSeconds = split;
  return row;
}

const TargetCheck& Named(const std::vector<TargetCheck>& checks, const std::string& start) {
  for (const TargetCheck& check : checks) {
    if (check.name.rfind(start, 0) == 0) return check;
  }
  ADD_FAILURE() << "no target named " << start;
  std::abort();
}

TEST(CheckTargets, BoundsAreInclusiveAndEachRowCountsForItsOwnTarget) {
  std::vector<ToolRow> rows;
  AddShape(rows, "few-small", 1.5, 1.5, 3.0);
  AddShape(rows, "many-small", 1.10, 1.30, 5.0, 1.10);
  AddShape(rows, "large", 1.06, 1.25, 3.0, 1.125);
  AddShape(rows, "wide-flat", 2.0, 1.0, 3.0, 1.0);
  // Binary fractions, so that the ratios land exactly on their bounds.
  const std::vector<RestoreRow> lists = {List(10000, 0.25, 0.25, 0.125),
                                         List(100000, 3.0, 3.0, 1.0)};
  const std::vector<TargetCheck> checks = CheckTargets(rows, lists);

  EXPECT_TRUE(Named(checks, "many-small: clean").met);
  EXPECT_FALSE(Named(checks, "large: clean").met);
  EXPECT_TRUE(Named(checks, "many-small: whole clean").met);
  EXPECT_FALSE(Named(checks, "large: whole clean").met);
  EXPECT_TRUE(Named(checks, "wide-flat: whole clean").met);  // its unflushed 2.0 is not read
  EXPECT_FALSE(Named(checks, "many-small: walk").met);
  EXPECT_TRUE(Named(checks, "large: walk").met);
  EXPECT_TRUE(Named(checks, "wide-flat: walk").met);
  const TargetCheck& memory = Named(checks, "clean peak RSS");
  EXPECT_TRUE(memory.measured);
  EXPECT_TRUE(memory.met);                                               // exactly 2 MiB apart
  EXPECT_TRUE(Named(checks, "restoration list: 100,000 / 10,000").met);  // 12 and 12
  EXPECT_TRUE(Named(checks, "restoration list: load").met);              // 3
  for (const TargetCheck& check : checks) EXPECT_TRUE(check.measured) << check.name;
}

TEST(CheckTargets, MemoryGrowthAndSlowListsAreNotMet) {
  std::vector<ToolRow> rows;
  AddShape(rows, "few-small", 1.0, 1.0, 9.0);
  AddShape(rows, "many-small", 1.0, 1.0, 6.5);  // smaller, but 2.5 MiB apart
  const std::vector<RestoreRow> lists = {List(10000, 0.25, 0.25, 0.125),
                                         List(100000, 2.75, 5.0, 0.75)};
  const std::vector<TargetCheck> checks = CheckTargets(rows, lists);
  EXPECT_FALSE(Named(checks, "clean peak RSS").met);
  const TargetCheck& growth = Named(checks, "restoration list: 100,000 / 10,000");
  EXPECT_TRUE(growth.measured);
  EXPECT_FALSE(growth.met);  // the load grows 11 times, load and restore 15.5 times
  EXPECT_FALSE(Named(checks, "restoration list: load").met);  // 3.67
}

TEST(CheckTargets, MissingFiguresAreNeverMet) {
  const std::vector<TargetCheck> checks = CheckTargets({}, {});
  ASSERT_FALSE(checks.empty());
  for (const TargetCheck& check : checks) {
    EXPECT_FALSE(check.measured) << check.name;
    EXPECT_FALSE(check.met) << check.name;
  }
  const std::vector<TargetCheck> zeroBaseline =
      CheckTargets({}, {List(10000, 0, 0, 0), List(100000, 0.1, 0.1, 0)});
  EXPECT_FALSE(Named(zeroBaseline, "restoration list: load").measured);
  EXPECT_FALSE(Named(zeroBaseline, "restoration list: 100,000 / 10,000").measured);
}

std::string Printed(void (*print)(std::FILE*)) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&buffer, &size);
  print(out);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// The whitespace-separated words of the first line of text that starts with start.
std::vector<std::string> LineTokens(const std::string& text, const std::string& start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(start, 0) != 0) continue;
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;) tokens.push_back(word);
    return tokens;
  }
  return {};
}

TEST(PrintTables, ShowEveryFigureAndADashForWhatDoesNotApply) {
  static std::vector<ToolRow> rows;
  rows.clear();
  ToolRow copied = Row("many-small", "quillmar clean *.txt", 1.047, 3.5);
  copied.visited = 20000;
  copied.backedUp = 6666;
  copied.bytes = 218103808;
  copied.medianSeconds = 0.8125;
  rows.push_back(copied);
  ToolRow walked = Row("many-small", "find", 1.0, 2.0);
  walked.visited = 20000;
  rows.push_back(walked);
  const std::string table = Printed([](std::FILE* out) { PrintTreeTable(out, rows); });
  EXPECT_EQ(LineTokens(table, "many-small  quillmar"),
            (std::vector<std::string>{"many-small", "quillmar", "clean", "*.txt", "20000", "6666",
                                      "218103808", "0.8125", "1.047", "3.5"}))
      << table;
  EXPECT_EQ(
      LineTokens(table, "many-small  find"),
      (std::vector<std::string>{"many-small", "find", "20000", "-", "-", "0.0000", "1.000", "2.0"}))
      << table;

  const std::string lists =
      Printed([](std::FILE* out) { PrintRestoreTable(out, {List(100000, 0.2, 0.1, 0.05)}); });
  EXPECT_NE(lists.find("100000"), std::string::npos) << lists;
  EXPECT_NE(lists.find("4.00"), std::string::npos) << lists;  // load / split

  const std::string verdicts = Printed([](std::FILE* out) {
    PrintTargets(out,
                 {{"a", "1.0", true, true}, {"b", "2.0", true, false}, {"c", "x", false, false}});
  });
  EXPECT_NE(verdicts.find("met\n"), std::string::npos);
  EXPECT_NE(verdicts.find("NOT met\n"), std::string::npos);
  EXPECT_NE(verdicts.find("not measured\n"), std::string::npos);
}

}  // namespace
