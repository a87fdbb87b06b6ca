// The tree half of the benchmark: on one generated tree, the engine's clean and its walk alone
// beside the standard tools, interleaved round by round, with one untimed warm-up round.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/tree_census.h"

struct ToolRow {
  std::string shape;
  std::string tool;
  std::uint64_t visited = 0;
  std::optional<std::uint64_t> backedUp;  // none for a tool that copies nothing
  std::optional<std::uint64_t> bytes;
  double medianSeconds = 0;
  double ratio = 1;       // median / the baseline's median; 1 for a baseline
  double peakRssMiB = 0;  // the highest of the timed runs
  bool baseline = false;
  // Anything that makes the figures doubtful: wrong counts, message boxes, walk errors.
  std::vector<std::string> problems;
};

struct ShapeBenchSetup {
  std::string shape;
  std::string tree;
  // A folder of its own for program folders and copies. They stay there after the call:
  // remove scratch once every measurement is done (see BenchShape).
  std::string scratch;
  int runs = 5;          // timed runs per tool
  TreeCensus census;     // of tree, taken before the runs
  bool verbose = false;  // print every run's time to standard error
};

// The six rows, in the order: the clean without its closing flush to disk and cp; the whole
// clean and cp followed by sync; the walk alone and find. Each even row's ratio is to the
// baseline below it. Returns an empty vector and sets failure when a run could not be made at
// all. Each copying run writes into scratch/<tool>-<round> when the tree has more than 100
// .txt files, else into scratch/<tool>, emptied before each run.
std::vector<ToolRow> BenchShape(const ShapeBenchSetup& setup, std::string& failure);

// The shell command lines of the baselines, for the benchmark's own documentation.
std::vector<std::string> CopyBaselineCommand(const std::string& tree, const std::string& dest);
std::vector<std::string> DurableCopyBaselineCommand(const std::string& tree,
                                                    const std::string& dest);
std::vector<std::string> WalkBaselineCommand(const std::string& tree);
