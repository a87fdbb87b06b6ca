// Times `quillmar restore --all --yes` against cp -a on trees cleaned by the real executable.
// Wall time and peak memory are taken from outside, as for any other program started.
#include "bench/restore_all_bench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/measure.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kTargetEntries = 100000;
constexpr double kTargetRatio = 2.0;

std::error_code WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return out ? std::error_code() : std::make_error_code(std::errc::io_error);
}

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream whole;
  whole << in.rdbuf();
  text = whole.str();
  return static_cast<bool>(in);
}

std::string Describe(const RunOutcome& run) {
  return run.failure.empty() ? "exit status " + std::to_string(run.exitStatus) : run.failure;
}

// Whether folder holds the tree's files and bytes; otherwise says what it holds.
std::string CompareWithTree(const std::string& folder, const TreeCensus& tree) {
  TreeCensus got;
  if (std::error_code error = CensusTree(folder, got)) return "cannot count: " + error.message();
  if (got.all.files == tree.all.files && got.all.bytes == tree.all.bytes) return {};
  return std::to_string(got.all.files) + " files, " + std::to_string(got.all.bytes) +
         " bytes, not " + std::to_string(tree.all.files) + " and " + std::to_string(tree.all.bytes);
}

enum Tool { kRestore, kCopy, kCopySync, kCopyAsRestored, kToolCount };
constexpr const char* kToolNames[] = {"restore --all --yes", "cp -a", "cp -a && sync",
                                      "cp --preserve=mode,timestamps"};

}  // namespace

TreeShape RestoreAllShape(std::uint32_t entries) {
  return {"restore-all", std::max<std::uint32_t>(1, entries / 100), 3, entries, 0, 1024, 1, 1};
}

std::error_code PrepareRestoreAll(const std::string& scratch, const std::string& quillmar,
                                  std::uint32_t entries, RestoreAllSetup& setup) {
  setup = {};
  setup.entries = entries;
  std::error_code error;
  // The list records absolute paths, and the store mirrors them: everything by its full path.
  setup.folder = fs::absolute(scratch + "/restore-all-" + std::to_string(entries), error).string();
  if (error) return error;
  if ((error = RemoveTree(setup.folder))) return error;
  fs::create_directories(setup.folder + "/bin", error);
  if (error) return error;
  // A portable copy: its store is made beside it, in the scratch folder.
  setup.program = setup.folder + "/bin/quillmar";
  fs::copy_file(quillmar, setup.program, error);
  if (error) return error;
  setup.tree = setup.folder + "/tree";

  const TreeShape shape = RestoreAllShape(entries);
  // In a child, so that the generator's memory never counts against later runs.
  const RunOutcome written = RunInChild([&](int fd) {
    if (std::error_code failure = WriteTree(PlanTree(shape), setup.tree)) {
      WriteAll(fd, failure.message());
      return 1;
    }
    return 0;
  });
  if (!written.completed) return std::make_error_code(std::errc::io_error);
  if ((error = CensusTree(setup.tree, setup.census))) return error;

  const RunOutcome clean = RunProgram({setup.program, "clean", setup.tree});
  if (!clean.completed) return std::make_error_code(std::errc::io_error);
  const std::string store = setup.folder + "/bin/backups";
  setup.listPath = store + "/list.txt";
  if (!ReadText(setup.listPath, setup.listText)) return std::make_error_code(std::errc::io_error);
  setup.mirror = store + "/paths" + setup.tree;
  if (!fs::is_directory(setup.mirror, error)) {
    return error ? error : std::make_error_code(std::errc::not_a_directory);
  }
  // The files are gone, as after a clean-up: moved, since deleting them would slow the file
  // creations measured next.
  fs::rename(setup.tree, setup.folder + "/originals", error);
  return error;
}

bool BenchRestoreAll(const RestoreAllSetup& setup, int runs, int warmUp, bool verbose,
                     RestoreAllRow& row, std::string& failure) {
  row = {};
  row.entries = setup.entries;
  row.runs = runs;
  const std::string label = std::to_string(setup.entries) + " entries: ";
  std::vector<double> seconds[kToolCount];
  int copies = 0;
  for (int round = 0; round < warmUp + runs; ++round) {
    for (int turn = 0; turn < kToolCount; ++turn) {
      const int tool = (turn + round) % kToolCount;
      RunOutcome run;
      std::string dest;
      if (tool == kRestore) {
        std::error_code error;
        if (fs::exists(setup.tree, error)) {
          fs::rename(setup.tree, setup.folder + "/restored-" + std::to_string(round), error);
        }
        if (!error) error = WriteText(setup.listPath, setup.listText);
        if (error) {
          failure = label + "cannot set the store up again: " + error.message();
          return false;
        }
        dest = setup.tree;
        ::sync();
        run = RunProgram({setup.program, "restore", "--all", "--yes"});
      } else {
        dest = setup.folder + "/copy-" + std::to_string(copies++);
        ::sync();
        switch (tool) {
          case kCopy:
            run = RunProgram({"cp", "-a", setup.mirror, dest});
            break;
          case kCopySync:
            run = RunProgram({"sh", "-c", "cp -a \"$1\" \"$2\" && sync", "sh", setup.mirror, dest});
            break;
          default:
            run = RunProgram({"cp", "-R", "--preserve=mode,timestamps", setup.mirror, dest});
            break;
        }
      }
      if (!run.failure.empty()) {
        failure = label + kToolNames[tool] + " could not run: " + run.failure;
        return false;
      }
      if (verbose) {
        std::fprintf(stderr, "  %u entries, round %d: %s %.3f s, %.1f MiB\n", setup.entries, round,
                     kToolNames[tool], run.seconds, run.peakRssMiB);
      }
      if (round < warmUp) continue;
      seconds[tool].push_back(run.seconds);
      double& peak = tool == kRestore ? row.restorePeakMiB : row.copyPeakMiB;
      peak = std::max(peak, run.peakRssMiB);
      if (!run.completed) {
        row.problems.push_back(label + kToolNames[tool] + " ended with " + Describe(run));
      }
      if (const std::string wrong = CompareWithTree(dest, setup.census); !wrong.empty()) {
        row.problems.push_back(label + kToolNames[tool] + " left " + wrong);
      }
      std::error_code error;
      if (tool == kRestore && fs::file_size(setup.listPath, error) != 0) {
        row.problems.push_back(label + "the restore left records in list.txt");
      }
    }
  }
  row.restoreSeconds = Median(seconds[kRestore]);
  row.copySeconds = Median(seconds[kCopy]);
  row.copySyncSeconds = Median(seconds[kCopySync]);
  row.copyAsRestoredSeconds = Median(seconds[kCopyAsRestored]);
  return true;
}

void PrintRestoreAllTable(std::FILE* out, const std::vector<RestoreAllRow>& rows) {
  std::fprintf(out, "%-8s %4s %10s %9s %6s %13s %6s %14s %6s %11s %7s\n", "entries", "runs",
               "restore s", "cp -a s", "ratio", "cp -a;sync s", "ratio", "cp mode,time s", "ratio",
               "restore MiB", "cp MiB");
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
  for (const RestoreAllRow& row : rows) {
    std::fprintf(out, "%-8u %4d %10.3f %9.3f %6.2f %13.3f %6.2f %14.3f %6.2f %11.1f %7.1f\n",
                 row.entries, row.runs, row.restoreSeconds, row.copySeconds,
                 ratio(row.restoreSeconds, row.copySeconds), row.copySyncSeconds,
                 ratio(row.restoreSeconds, row.copySyncSeconds), row.copyAsRestoredSeconds,
                 ratio(row.restoreSeconds, row.copyAsRestoredSeconds), row.restorePeakMiB,
                 row.copyPeakMiB);
  }
}

std::vector<TargetCheck> CheckRestoreAllTargets(const std::vector<RestoreAllRow>& rows) {
  const char* name = "restore --all --yes, 100,000 entries / cp -a <= 2";
  TargetCheck check{name, "not measured", false, false};
  for (const RestoreAllRow& row : rows) {
    if (row.entries != kTargetEntries || row.copySeconds <= 0) continue;
    check = TimeRatioTarget(name, row.restoreSeconds, row.copySeconds, kTargetRatio, "%.2f");
  }
  return {check};
}
