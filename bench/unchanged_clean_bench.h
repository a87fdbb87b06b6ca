// The clean of a tree the store already holds: the real executable's `quillmar clean TREE`
// (every file, as a user cleans a folder again) for the second and the third time, beside
// `rsync -a TREE DEST && sync` into a DEST that already holds the tree and the walk alone,
// `find TREE`; then, with one file in a hundred changed, the clean and rsync of that change.
// After the three cleans the store must hold the tree's bytes once, and after the change its
// versions exactly what the changed files held before.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "bench/report.h"
#include "bench/store_size.h"
#include "bench/tree_census.h"
#include "bench/versions_check.h"

struct UnchangedCleanSetup {
  std::string shape;
  std::string tree;     // the generated tree: copied, never changed
  std::string scratch;  // a folder of its own for the copy, the stores and the rsync folders
  std::string program;  // the executable copied beside each store
  int runs = 5;         // timed rounds, after one warm-up round
  bool verbose = false;
};

enum UnchangedStage { kSecondClean, kThirdClean, kChangedClean, kUnchangedStageCount };

struct UnchangedStageTimes {
  double cleanSeconds = 0;  // medians of the timed rounds
  double rsyncSeconds = 0;
  double findSeconds = 0;   // 0 where the walk alone is not measured (the changed tree)
  double cleanPeakMiB = 0;  // the highest of the timed rounds
};

struct UnchangedCleanResult {
  std::string shape;
  int runs = 0;
  TreeCensus census;  // of the tree
  UnchangedStageTimes stages[kUnchangedStageCount];
  StoreSize storeAfterThree;  // the last round's store after its three cleans
  std::uint64_t changedFiles = 0;
  std::uint64_t changedBytes = 0;  // what they held before, the last round
  VersionsCheck versions;          // the last round's
  // A clean or rsync that failed or left files out, a store not holding the tree once,
  // versions that are not the earlier contents; each says in which round.
  std::vector<std::string> problems;
};

// Copies the tree into scratch, then runs every round in a store and an rsync folder of its
// own: the first clean and rsync untimed, the second and third of each with find taking turns,
// the store measured, 1 % of the files changed (PickFilesToChange with the round), the clean
// and rsync of that change taking turns, the versions checked. Everything stays in scratch
// until the caller removes it. Returns false and sets failure when a run could not be made.
bool BenchUnchangedClean(const UnchangedCleanSetup& setup, UnchangedCleanResult& result,
                         std::string& failure);

void PrintUnchangedCleanTables(std::FILE* out, const std::vector<UnchangedCleanResult>& results);

// The second and the third clean of an unchanged tree, each at or below rsync's time.
std::vector<TargetCheck> CheckUnchangedCleanTargets(
    const std::vector<UnchangedCleanResult>& results);
