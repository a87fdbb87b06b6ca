// quillmar_bench: generates the benchmark trees in a work folder (or reuses them), measures
// the engine's clean and the restoration list against the standard tools, prints the tables.
// Exit status: 0 when everything ran, 2 when a run could not be made, 3 when the figures
// cannot be trusted (wrong counts, unexpected messages); missed targets do not change it.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "bench/report.h"
#include "bench/restore_all_bench.h"
#include "bench/restore_bench.h"
#include "bench/tree_bench.h"
#include "bench/tree_census.h"
#include "bench/tree_generator.h"
#include "bench/unchanged_clean_bench.h"

namespace {

struct Options {
  std::string work;
  int runs = 5;
  int largeRuns = 5;
  int listRuns = 5;
  int restoreRuns = 3;
  int unchangedRuns = 5;
  // The executable whose `restore --all` is timed.
  std::string program = QUILLMAR_BENCH_PROGRAM;
  bool verbose = false;
  // Names of the parts to run (tree shapes, "lists", "unchanged" or "unchanged-" and a shape,
  // "restore-all"); empty runs them all.
  std::vector<std::string> only;

  bool Wanted(const std::string& part) const {
    return only.empty() || std::find(only.begin(), only.end(), part) != only.end();
  }
  bool WantedUnchanged(const std::string& shape) const {
    return Wanted("unchanged") || (!only.empty() && Wanted("unchanged-" + shape));
  }
};

void Usage() {
  std::fprintf(
      stderr,
      "usage: quillmar_bench WORK_FOLDER [--runs N] [--large-runs N] [--list-runs N]\n"
      "                      [--restore-runs N] [--unchanged-runs N] [--program QUILLMAR]\n"
      "                      [--only PART,PART...] [--verbose]\n"
      "Generates its trees in WORK_FOLDER/trees (kept for later runs) and prints the "
      "timing tables.\nPARTs: few-small, many-small, large, wide-flat, lists, "
      "unchanged (or one of\nunchanged-many-small, unchanged-large, unchanged-wide-flat), "
      "restore-all.\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int* count = arg == "--runs"             ? &options.runs
                 : arg == "--large-runs"     ? &options.largeRuns
                 : arg == "--list-runs"      ? &options.listRuns
                 : arg == "--restore-runs"   ? &options.restoreRuns
                 : arg == "--unchanged-runs" ? &options.unchangedRuns
                                             : nullptr;
    if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--program" && i + 1 < argc) {
      options.program = argv[++i];
    } else if (arg == "--only" && i + 1 < argc) {
      std::stringstream parts(argv[++i]);
      for (std::string part; std::getline(parts, part, ',');) options.only.push_back(part);
    } else if (count != nullptr) {
      if (i + 1 >= argc || (*count = std::atoi(argv[++i])) < 1) return false;
    } else if (!arg.empty() && arg[0] != '-' && options.work.empty()) {
      options.work = arg;
    } else {
      return false;
    }
  }
  return !options.work.empty();
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Leaves a complete tree of shape at trees/<name>. A tree is reused only when its marker
// says it was finished with the same description; anything else is thrown away and
// written again, in a child so that the generator's memory never counts against the
// runs measured later.
bool EnsureTree(const std::string& trees, const TreeShape& shape, std::string& failure) {
  const std::string root = trees + "/" + shape.name;
  const std::string marker = root + ".complete";
  const std::string description = DescribeShape(shape) + "\n";
  if (ReadSmallFile(marker) == description) {
    std::fprintf(stderr, "reusing %s\n", root.c_str());
    return true;
  }
  std::fprintf(stderr, "generating %s ...\n", root.c_str());
  RemoveTree(marker);
  if (std::error_code error = RemoveTree(root)) {
    failure = "cannot remove " + root + ": " + error.message();
    return false;
  }
  const RunOutcome outcome = RunInChild([&](int fd) {
    if (std::error_code error = WriteTree(PlanTree(shape), root)) {
      WriteAll(fd, error.message());
      return 1;
    }
    return 0;
  });
  if (!outcome.completed) {
    failure = "cannot generate " + root + ": " + outcome.failure + outcome.report;
    return false;
  }
  std::ofstream(marker) << description;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  const std::string trees = options.work + "/trees";
  const std::string scratch = options.work + "/scratch";
  if (std::error_code error = EmptyFolder(scratch)) {
    std::fprintf(stderr, "cannot prepare %s: %s\n", scratch.c_str(), error.message().c_str());
    return 2;
  }
  std::error_code treesError;
  std::filesystem::create_directories(trees, treesError);
  if (treesError) {
    std::fprintf(stderr, "cannot make %s: %s\n", trees.c_str(), treesError.message().c_str());
    return 2;
  }
  std::string failure;

  std::vector<ToolRow> treeRows;
  const TreeShape shapes[] = {FewSmallFilesShape(), ManySmallFilesShape(), LargeFilesShape(),
                              WideFlatShape()};
  const TreeShape unchangedShapes[] = {ManySmallFilesShape(), LargeFilesShape(), WideFlatShape()};
  for (const TreeShape& shape : shapes) {
    const bool unchanged =
        std::any_of(std::begin(unchangedShapes), std::end(unchangedShapes),
                    [&](const TreeShape& other) { return other.name == shape.name; });
    if (!options.Wanted(shape.name) && !(unchanged && options.WantedUnchanged(shape.name))) {
      continue;
    }
    if (!EnsureTree(trees, shape, failure)) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 2;
    }
  }
  for (const TreeShape& shape : shapes) {
    if (!options.Wanted(shape.name)) continue;
    ShapeBenchSetup setup;
    setup.shape = shape.name;
    setup.tree = trees + "/" + shape.name;
    setup.scratch = scratch + "/" + shape.name;
    setup.verbose = options.verbose;
    setup.runs = shape.name == "large" ? options.largeRuns : options.runs;
    if (std::error_code error = CensusTree(setup.tree, setup.census)) {
      std::fprintf(stderr, "cannot count %s: %s\n", setup.tree.c_str(), error.message().c_str());
      return 2;
    }
    std::fprintf(stderr, "measuring %s (%d runs per tool) ...\n", shape.name.c_str(), setup.runs);
    std::vector<ToolRow> rows = BenchShape(setup, failure);
    if (rows.empty()) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 2;
    }
    treeRows.insert(treeRows.end(), rows.begin(), rows.end());
  }

  std::vector<RestoreRow> listRows;
  for (std::uint32_t entries : {10000u, 100000u}) {
    if (!options.Wanted("lists")) break;
    std::fprintf(stderr, "measuring the restoration list of %u entries ...\n", entries);
    RestoreRow row;
    if (!BenchRestoreList(scratch, entries, options.listRuns, options.verbose, row, failure)) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 2;
    }
    listRows.push_back(row);
  }
  RemoveTree(scratch);

  // Once the copies of the parts above are gone: each shape's stores and rsync folders take up
  // to about 13 times its tree, removed before the next shape.
  std::vector<UnchangedCleanResult> unchangedResults;
  for (const TreeShape& shape : unchangedShapes) {
    if (!options.WantedUnchanged(shape.name)) continue;
    UnchangedCleanSetup setup;
    setup.shape = shape.name;
    setup.tree = trees + "/" + shape.name;
    setup.scratch = scratch + "/unchanged-" + shape.name;
    setup.program = options.program;
    setup.runs = options.unchangedRuns;
    setup.verbose = options.verbose;
    std::fprintf(stderr, "measuring repeated cleans of %s (%d runs per tool) ...\n",
                 shape.name.c_str(), setup.runs);
    UnchangedCleanResult result;
    const bool ran = BenchUnchangedClean(setup, result, failure);
    RemoveTree(setup.scratch);
    if (!ran) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 2;
    }
    unchangedResults.push_back(result);
  }
  RemoveTree(scratch);

  // Last, once the other parts' copies are gone: it needs the disk space they took. Each size
  // is removed before the next is made; the largest is run once, for its memory.
  std::vector<RestoreAllRow> restoreAllRows;
  for (std::uint32_t entries : {20000u, 100000u, 200000u}) {
    if (!options.Wanted("restore-all")) break;
    std::fprintf(stderr, "preparing a store of %u entries to restore ...\n", entries);
    RestoreAllSetup setup;
    if (std::error_code error = PrepareRestoreAll(scratch, options.program, entries, setup)) {
      std::fprintf(stderr, "cannot prepare the restore of %u entries: %s\n", entries,
                   error.message().c_str());
      return 2;
    }
    const bool memoryOnly = entries == 200000u;
    std::fprintf(stderr, "measuring restore --all of %u entries ...\n", entries);
    RestoreAllRow row;
    if (!BenchRestoreAll(setup, memoryOnly ? 1 : options.restoreRuns, memoryOnly ? 0 : 1,
                         options.verbose, row, failure)) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 2;
    }
    restoreAllRows.push_back(row);
    RemoveTree(setup.folder);
  }
  RemoveTree(scratch);

  std::printf(
      "Clean walk (filter *.txt) without its closing flush to disk against find -exec cp -p,\n"
      "and whole against find -exec cp -p followed by sync; walk alone (filter *.nomatch)\n"
      "against find. Medians of %d runs (%d for large) after one warm-up; "
      "ratio = tool / the baseline below it; %ld CPUs.\n\n",
      options.runs, options.largeRuns, ::sysconf(_SC_NPROCESSORS_ONLN));
  PrintTreeTable(stdout, treeRows);
  std::printf(
      "\nRepeated clean: quillmar clean TREE (the real executable, every file) of a tree its\n"
      "store holds, against rsync -a TREE DEST && sync into a DEST that holds it, and find TREE;\n"
      "the second and third clean of the unchanged tree, then the clean of 1 %% of its files\n"
      "changed. Medians of %d runs after one warm-up; each round a store of its own.\n\n",
      options.unchangedRuns);
  PrintUnchangedCleanTables(stdout, unchangedResults);
  std::printf(
      "\nRestoration list: dialog load, then Restore of one entry with the rewrite of "
      "list.txt,\nagainst reading list.txt and splitting it at ';' into a "
      "std::vector<std::string>.\nMedians of %d runs, timed inside the child.\n\n",
      options.listRuns);
  PrintRestoreTable(stdout, listRows);
  std::printf(
      "\nquillmar restore --all --yes of a deleted tree of small files, from its store,\n"
      "against cp -a of the store's copies, and cp -a followed by sync (the restore ends\n"
      "with its files and list on disk). Medians of %d runs after one warm-up; 200,000\n"
      "entries once, for the peak memory.\n\n",
      options.restoreRuns);
  PrintRestoreAllTable(stdout, restoreAllRows);
  std::printf("\nTargets:\n");
  std::vector<TargetCheck> checks = CheckTargets(treeRows, listRows);
  for (TargetCheck& check : CheckUnchangedCleanTargets(unchangedResults)) checks.push_back(check);
  for (TargetCheck& check : CheckRestoreAllTargets(restoreAllRows)) checks.push_back(check);
  PrintTargets(stdout, checks);

  bool doubtful = false;
  for (const ToolRow& row : treeRows) {
    for (const std::string& problem : row.problems) {
      std::printf("PROBLEM: %s\n", problem.c_str());
      doubtful = true;
    }
  }
  for (const UnchangedCleanResult& result : unchangedResults) {
    for (const std::string& problem : result.problems) {
      std::printf("PROBLEM: %s\n", problem.c_str());
      doubtful = true;
    }
  }
  for (const RestoreAllRow& row : restoreAllRows) {
    for (const std::string& problem : row.problems) {
      std::printf("PROBLEM: %s\n", problem.c_str());
      doubtful = true;
    }
  }
  for (const RestoreRow& row : listRows) {
    for (const std::string& problem : row.problems) {
      std::printf("PROBLEM: %s\n", problem.c_str());
      doubtful = true;
    }
  }
  return doubtful ? 3 : 0;
}
