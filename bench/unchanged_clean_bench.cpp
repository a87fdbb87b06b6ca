// Times the real executable, as a user runs it again on a folder, and rsync, each started from
// outside with its wall time and peak memory taken as for any other program. Every round has a
// store and an rsync folder of its own, made by an untimed first clean and rsync, so that the
// second and third runs of each tool meet the same state in every round.
#include "bench/unchanged_clean_bench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/measure.h"
#include "bench/tree_bench.h"
#include "bench/tree_change.h"

namespace {

namespace fs = std::filesystem;

enum Tool { kClean, kRsync, kFind, kToolCount };
constexpr const char* kToolNames[] = {"quillmar clean", "rsync -a; sync", "find"};
constexpr const char* kStageNames[] = {"2nd, unchanged", "3rd, unchanged", "1 % changed"};
constexpr double kRsyncBound = 1.0;

struct CleanSummary {
  unsigned long long visited = 0;
  unsigned long long backedUp = 0;
  unsigned long long failed = 0;
};

// The counts line the clean ends its standard output with.
bool ParseCleanSummary(const std::string& text, CleanSummary& summary) {
  const std::size_t at = text.rfind("Quillmar: ");
  return at != std::string::npos &&
         std::sscanf(text.c_str() + at, "Quillmar: %llu %*s visited, %llu backed up, %llu failed",
                     &summary.visited, &summary.backedUp, &summary.failed) == 3;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Tally(std::uint64_t files, std::uint64_t bytes) {
  return std::to_string(files) + " files of " + std::to_string(bytes) + " bytes";
}

// One round's folders: a portable copy of the program with its store beside it, and the
// folder rsync copies into.
struct Round {
  std::string folder;
  std::string program;
  std::string store;
  std::string dest;
  std::string output;  // the clean's standard output
  std::string label;   // "many-small, round 2: "
};

class UnchangedRunner {
 public:
  UnchangedRunner(const UnchangedCleanSetup& setup, std::string tree, UnchangedCleanResult& result)
      : m_setup(setup), m_tree(std::move(tree)), m_result(result) {}

  // Runs tool once on the round's folders and checks what can be told at once: whether it
  // ended well and, for the clean, its counts against census. False when it could not start.
  bool Run(const Round& round, Tool tool, const char* stage, const TreeCensus& census,
           RunOutcome& outcome, std::string& failure) {
    ::sync();
    switch (tool) {
      case kClean:
        outcome = RunProgram({round.program, "clean", m_tree}, round.output);
        break;
      case kRsync:
        outcome =
            RunProgram({"sh", "-c", "rsync -a \"$1\" \"$2\" && sync", "sh", m_tree, round.dest});
        break;
      default:
        outcome = RunProgram(WalkBaselineCommand(m_tree));
        break;
    }
    const std::string what = round.label + stage + " " + kToolNames[tool];
    if (!outcome.failure.empty()) {
      failure = what + " could not run: " + outcome.failure;
      return false;
    }
    if (m_setup.verbose) {
      std::fprintf(stderr, "  %s %.4f s, %.1f MiB\n", what.c_str(), outcome.seconds,
                   outcome.peakRssMiB);
    }
    if (!outcome.completed) {
      Problem(what + " ended with exit status " + std::to_string(outcome.exitStatus));
    }
    if (tool != kClean) return true;
    CleanSummary summary;
    if (!ParseCleanSummary(ReadText(round.output), summary)) {
      Problem(what + " printed no counts");
    } else if (summary.visited != census.all.files || summary.backedUp != census.all.files ||
               summary.failed != 0) {
      Problem(what + ": " + std::to_string(summary.visited) + " visited, " +
              std::to_string(summary.backedUp) + " backed up, " + std::to_string(summary.failed) +
              " failed, of " + std::to_string(census.all.files) + " files");
    }
    return true;
  }

  void Problem(const std::string& text) { m_result.problems.push_back(text); }

 private:
  const UnchangedCleanSetup& m_setup;
  const std::string m_tree;
  UnchangedCleanResult& m_result;
};

}  // namespace

bool BenchUnchangedClean(const UnchangedCleanSetup& setup, UnchangedCleanResult& result,
                         std::string& failure) {
  result = {};
  result.shape = setup.shape;
  result.runs = setup.runs;
  const std::string label = setup.shape + ", ";
  // The store mirrors the tree's absolute path, resolved as the clean resolves it.
  std::error_code error;
  fs::create_directories(setup.scratch, error);
  std::string scratch;
  if (!error) scratch = fs::canonical(setup.scratch, error).string();
  const std::string tree = scratch + "/tree";
  if (!error) error = RemoveTree(tree);
  if (error) {
    failure = label + "cannot prepare " + setup.scratch + ": " + error.message();
    return false;
  }
  const RunOutcome copied = RunProgram({"cp", "-a", setup.tree, tree});
  if (!copied.completed) {
    failure = label + "cannot copy the tree: " +
              (copied.failure.empty() ? "exit status " + std::to_string(copied.exitStatus)
                                      : copied.failure);
    return false;
  }

  UnchangedRunner runner(setup, tree, result);
  std::vector<double> seconds[kUnchangedStageCount][kToolCount];
  for (int number = 0; number <= setup.runs; ++number) {
    Round round;
    round.folder = scratch + "/round-" + std::to_string(number);
    round.program = round.folder + "/bin/quillmar";
    round.store = round.folder + "/bin/backups";
    round.dest = round.folder + "/rsync";
    round.output = round.folder + "/clean.out";
    round.label = label + "round " + std::to_string(number) + ": ";
    TreeCensus census;
    if (!(error = RemoveTree(round.folder))) fs::create_directories(round.folder + "/bin", error);
    if (!error) fs::create_directories(round.dest, error);
    if (!error) fs::copy_file(setup.program, round.program, error);
    if (!error) error = CensusTree(tree, census);
    if (error) {
      failure = round.label + "cannot prepare the round: " + error.message();
      return false;
    }
    const auto timed = [&](UnchangedStage stage, Tool tool, const RunOutcome& outcome) {
      if (number == 0) return;
      seconds[stage][tool].push_back(outcome.seconds);
      if (tool == kClean) {
        double& peak = result.stages[stage].cleanPeakMiB;
        peak = std::max(peak, outcome.peakRssMiB);
      }
    };

    RunOutcome outcome;
    for (const Tool tool : {kClean, kRsync}) {
      if (!runner.Run(round, tool, "1st", census, outcome, failure)) return false;
    }
    // The tools take turns at going first from one round to the next.
    for (const UnchangedStage stage : {kSecondClean, kThirdClean}) {
      for (int turn = 0; turn < kToolCount; ++turn) {
        const Tool tool = static_cast<Tool>((turn + number) % kToolCount);
        if (!runner.Run(round, tool, kStageNames[stage], census, outcome, failure)) return false;
        timed(stage, tool, outcome);
      }
    }

    StoreSize size;
    if ((error = MeasureStore(round.store, size))) {
      runner.Problem(round.label + "cannot measure the store: " + error.message());
    } else if (size.files != census.all.files || size.bytes != census.all.bytes) {
      runner.Problem(round.label + "after three cleans the store holds " +
                     Tally(size.files, size.bytes) + ", not the tree's " +
                     Tally(census.all.files, census.all.bytes) + " once");
    }
    result.storeAfterThree = size;
    result.census = census;

    std::vector<ChangedFile> changed;
    census = {};
    if ((error = PickFilesToChange(tree, number, changed)) ||
        (error = ChangeFiles(tree, changed)) || (error = CensusTree(tree, census))) {
      failure = round.label + "cannot change the tree: " + error.message();
      return false;
    }
    for (int turn = 0; turn < 2; ++turn) {
      const Tool tool = (turn + number) % 2 == 0 ? kClean : kRsync;
      if (!runner.Run(round, tool, kStageNames[kChangedClean], census, outcome, failure)) {
        return false;
      }
      timed(kChangedClean, tool, outcome);
    }

    result.versions = CheckVersions(round.store + "/versions" + tree, changed);
    for (const std::string& problem : result.versions.problems) {
      runner.Problem(round.label + problem);
    }
    result.changedFiles = changed.size();
    result.changedBytes = 0;
    for (const ChangedFile& file : changed) result.changedBytes += file.previousSize;
    TreeCensus synced;
    if ((error = CensusTree(round.dest + "/tree", synced)) ||
        synced.all.files != census.all.files || synced.all.bytes != census.all.bytes) {
      runner.Problem(round.label + "rsync left " + Tally(synced.all.files, synced.all.bytes) +
                     ", not " + Tally(census.all.files, census.all.bytes));
    }
  }

  for (int stage = 0; stage < kUnchangedStageCount; ++stage) {
    result.stages[stage].cleanSeconds = Median(seconds[stage][kClean]);
    result.stages[stage].rsyncSeconds = Median(seconds[stage][kRsync]);
    result.stages[stage].findSeconds = Median(seconds[stage][kFind]);
  }
  return true;
}

void PrintUnchangedCleanTables(std::FILE* out, const std::vector<UnchangedCleanResult>& results) {
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
  std::fprintf(out, "%-11s %-15s %-15s %10s %8s %8s %9s\n", "shape", "clean", "tool", "median s",
               "/ rsync", "/ find", "peak MiB");
  for (const UnchangedCleanResult& result : results) {
    for (int stage = 0; stage < kUnchangedStageCount; ++stage) {
      const UnchangedStageTimes& times = result.stages[stage];
      const double all[] = {times.cleanSeconds, times.rsyncSeconds, times.findSeconds};
      for (int tool = 0; tool < kToolCount; ++tool) {
        if (tool == kFind && times.findSeconds <= 0) continue;
        char versusFind[16] = "-";
        if (times.findSeconds > 0) {
          std::snprintf(versusFind, sizeof versusFind, "%.3f", ratio(all[tool], times.findSeconds));
        }
        char peak[16] = "-";
        if (tool == kClean) std::snprintf(peak, sizeof peak, "%.1f", times.cleanPeakMiB);
        std::fprintf(out, "%-11s %-15s %-15s %10.4f %8.3f %8s %9s\n", result.shape.c_str(),
                     kStageNames[stage], kToolNames[tool], all[tool],
                     ratio(all[tool], times.rsyncSeconds), versusFind, peak);
      }
    }
  }
  std::fprintf(out, "\n%-11s %7s %12s %11s %12s %8s  %s\n", "shape", "files", "tree bytes",
               "store files", "store bytes", "names", "after three cleans");
  for (const UnchangedCleanResult& result : results) {
    const StoreSize& store = result.storeAfterThree;
    const bool once =
        store.files == result.census.all.files && store.bytes == result.census.all.bytes;
    std::fprintf(
        out, "%-11s %7llu %12llu %11llu %12llu %8llu  %s\n", result.shape.c_str(),
        static_cast<unsigned long long>(result.census.all.files),
        static_cast<unsigned long long>(result.census.all.bytes),
        static_cast<unsigned long long>(store.files), static_cast<unsigned long long>(store.bytes),
        static_cast<unsigned long long>(store.names), once ? "the tree once" : "NOT the tree once");
  }
  std::fprintf(out, "\n%-11s %8s %14s %9s %14s  %s\n", "shape", "changed", "earlier bytes",
               "versions", "version bytes", "versions hold");
  for (const UnchangedCleanResult& result : results) {
    std::fprintf(out, "%-11s %8llu %14llu %9llu %14llu  %s\n", result.shape.c_str(),
                 static_cast<unsigned long long>(result.changedFiles),
                 static_cast<unsigned long long>(result.changedBytes),
                 static_cast<unsigned long long>(result.versions.versions),
                 static_cast<unsigned long long>(result.versions.bytes),
                 result.versions.problems.empty() ? "exactly the earlier contents"
                                                  : "NOT the earlier contents");
  }
}

std::vector<TargetCheck> CheckUnchangedCleanTargets(
    const std::vector<UnchangedCleanResult>& results) {
  std::vector<TargetCheck> checks;
  for (const UnchangedCleanResult& result : results) {
    for (const UnchangedStage stage : {kSecondClean, kThirdClean}) {
      const UnchangedStageTimes& times = result.stages[stage];
      checks.push_back(TimeRatioTarget(result.shape + ": " +
                                           (stage == kSecondClean ? "2nd" : "3rd") +
                                           " clean, unchanged / rsync -a; sync <= 1.00",
                                       times.cleanSeconds, times.rsyncSeconds, kRsyncBound,
                                       "%.3f"));
    }
  }
  return checks;
}
