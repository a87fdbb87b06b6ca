// The bulk restore of the command line: `quillmar restore --all --yes`, the real executable,
// putting a whole deleted tree back from its store, beside `cp -a` of the same files (the
// store's own copies of them), `cp -a` followed by `sync`, and a cp that keeps only what the
// restore keeps.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "bench/report.h"
#include "bench/tree_census.h"
#include "bench/tree_generator.h"

// entries small files (0..1 KiB, one block each) in entries / 100 folders up to 3 deep.
TreeShape RestoreAllShape(std::uint32_t entries);

// A portable copy of the program in folder/bin with its store beside it, holding a clean of
// tree, whose files are then gone: every entry of the list is there to restore.
struct RestoreAllSetup {
  std::uint32_t entries = 0;
  std::string folder;
  std::string program;
  std::string tree;      // where the files were, and where the restores put them
  std::string mirror;    // the store's own copies of tree's files: what cp -a copies
  std::string listPath;  // the store's list.txt
  std::string listText;  // as the clean left it, put back before every restore
  TreeCensus census;     // of tree as generated
};

// Builds everything in scratch/restore-all-<entries> (scratch must exist): generates the
// tree, cleans it with `quillmar clean`, moves it away. On failure returns why.
std::error_code PrepareRestoreAll(const std::string& scratch, const std::string& quillmar,
                                  std::uint32_t entries, RestoreAllSetup& setup);

// Medians over the timed runs of one size.
struct RestoreAllRow {
  std::uint32_t entries = 0;
  int runs = 0;
  double restoreSeconds = 0;
  double copySeconds = 0;      // cp -a
  double copySyncSeconds = 0;  // cp -a && sync
  // cp -R --preserve=mode,timestamps: what a restore keeps of each copy, no more (cp -a also
  // copies each copy's extended attributes, its origin, and its second name).
  double copyAsRestoredSeconds = 0;
  double restorePeakMiB = 0;  // highest of the timed runs
  double copyPeakMiB = 0;
  // A restore that failed, left files out or did not empty the list; a cp that failed.
  std::vector<std::string> problems{};
};

// Runs the four tools in turn, runs timed rounds after warmUp untimed ones, each tool going
// first in turn from round to round. Every run writes into a place of its own: a restored tree
// is moved aside before the next restore and every copy has a new folder, so that no run
// pays for deleting its predecessor's files. Everything stays until the setup's folder is
// removed. Returns false and sets failure when a run could not be made at all.
bool BenchRestoreAll(const RestoreAllSetup& setup, int runs, int warmUp, bool verbose,
                     RestoreAllRow& row, std::string& failure);

void PrintRestoreAllTable(std::FILE* out, const std::vector<RestoreAllRow>& rows);

// restore --all --yes of 100,000 entries within twice the time of cp -a of the same files.
std::vector<TargetCheck> CheckRestoreAllTargets(const std::vector<RestoreAllRow>& rows);
