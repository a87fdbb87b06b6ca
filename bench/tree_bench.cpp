// Runs and checks the four tools on one tree. Every run starts from the same state: the
// program folder or the copy folder emptied and the file system synced, so that no run pays
// for the write-back of the one before.
#include "bench/tree_bench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <utility>

#include "bench/engine_run.h"
#include "bench/measure.h"

namespace {

// Up to this many copies per run, the copying tools reuse one output folder.
constexpr std::uint64_t kFewFiles = 100;

struct Tool {
  Tool(std::string toolName, std::function<std::error_code(int round)> prepareRun,
       std::function<RunOutcome()> makeRun)
      : name(std::move(toolName)), prepare(std::move(prepareRun)), run(std::move(makeRun)) {}

  std::string name;
  // Brings the folders to the state a run starts from.
  std::function<std::error_code(int round)> prepare;
  std::function<RunOutcome()> run;
  std::vector<double> seconds;
  // For the clean: each run's time without its closing flush to disk.
  std::vector<double> secondsBeforeFlush;
  double peakRssMiB = 0;
  RunOutcome last;
};

std::string Count(std::uint64_t value) { return std::to_string(value); }

void Expect(ToolRow& row, const char* what, std::uint64_t seen, std::uint64_t expected) {
  if (seen != expected) {
    row.problems.push_back(row.shape + ", " + row.tool + ": " + what + " " + Count(seen) +
                           ", expected " + Count(expected));
  }
}

// Fills the counts of an engine row from the child's report and what is left on disk.
void CheckEngineRow(ToolRow& row, const RunOutcome& last, const TreeCensus& census,
                    const std::string& programFolder, bool copies) {
  EngineRunReport report;
  if (!ParseEngineReport(last.report, report)) {
    row.problems.push_back(row.shape + ", " + row.tool + ": unreadable report '" + last.report +
                           "'");
    return;
  }
  row.visited = report.visited;
  Expect(row, "files visited", report.visited, census.all.files);
  Expect(row, "walk result", static_cast<std::uint64_t>(report.result), 0);
  if (report.messages != 0) {
    row.problems.push_back(row.shape + ", " + row.tool + ": " + Count(report.messages) +
                           " message boxes, the first: " + report.firstMessage);
  }
  const std::string backups = programFolder + "/backups";
  FileTally tally;
  if (std::error_code error = TallyFolder(backups, "BACKUP", tally)) {
    row.problems.push_back(row.shape + ", " + row.tool + ": cannot read " + backups + ": " +
                           error.message());
  }
  std::uint64_t records = 0;
  if (std::error_code error = CountRecords(backups + "/list.txt", records)) {
    row.problems.push_back(row.shape + ", " + row.tool +
                           ": cannot read list.txt: " + error.message());
  }
  row.backedUp = report.backedUp;
  row.bytes = tally.bytes;
  if (copies) {
    Expect(row, "files backed up", report.backedUp, census.txt.files);
    Expect(row, "backup copies", tally.files, census.txt.files);
    Expect(row, "bytes copied", tally.bytes, census.txt.bytes);
    Expect(row, "list records", records, census.txt.files);
  } else {
    Expect(row, "files backed up", report.backedUp, 0);
    Expect(row, "backup copies", tally.files, 0);
    Expect(row, "list records", records, 0);
  }
}

}  // namespace

std::vector<std::string> CopyBaselineCommand(const std::string& tree, const std::string& dest) {
  return {"sh", "-c", "find \"$1\" -name '*.txt' -exec cp -p -t \"$2\" {} +", "sh", tree, dest};
}

std::vector<std::string> DurableCopyBaselineCommand(const std::string& tree,
                                                    const std::string& dest) {
  return {"sh", "-c", "find \"$1\" -name '*.txt' -exec cp -p -t \"$2\" {} + && sync",
          "sh", tree, dest};
}

std::vector<std::string> WalkBaselineCommand(const std::string& tree) {
  return {"sh", "-c", "find \"$1\" >/dev/null", "sh", tree};
}

std::vector<ToolRow> BenchShape(const ShapeBenchSetup& setup, std::string& failure) {
  // On ext4 without a journal, a new inode skips every inode freed in the last minute, one
  // buffer-cache look-up each, so emptying thousands of copies just before a run made that
  // run's file creations several times slower, by an amount set by the deletion rather than
  // by the tool. Runs that create many files therefore write into a folder of their own and
  // leave the deleting to the end of the whole benchmark. A few big files are cheap to
  // delete and costly to keep, so they share one folder emptied before each run.
  const bool ownFolders = setup.census.txt.files > kFewFiles;
  const auto outputFolder = [&](const std::string& name, int round) {
    return setup.scratch + "/" + name + (ownFolders ? "-" + std::to_string(round) : "");
  };
  EngineJob clean{setup.tree, "", "*.txt", "*.txt"};
  EngineJob walk{setup.tree, "", "*.nomatch", "*.nomatch"};
  std::string copies;
  std::string durableCopies;

  // The clean ends with a flush to disk that cp does not make: its runs are compared twice,
  // without the flush against cp, and whole against cp followed by sync.
  std::vector<Tool> tools;
  tools.emplace_back(
      "quillmar clean *.txt",
      [&](int round) { return EmptyFolder(clean.programFolder = outputFolder("clean", round)); },
      [&] { return RunInChild([&](int fd) { return CleanInChild(clean, fd); }); });
  tools.emplace_back(
      "find -exec cp -p",
      [&](int round) { return EmptyFolder(copies = outputFolder("copies", round)); },
      [&] { return RunProgram(CopyBaselineCommand(setup.tree, copies)); });
  tools.emplace_back(
      "find -exec cp; sync",
      [&](int round) { return EmptyFolder(durableCopies = outputFolder("synced", round)); },
      [&] { return RunProgram(DurableCopyBaselineCommand(setup.tree, durableCopies)); });
  tools.emplace_back(
      "quillmar walk alone",
      [&](int round) { return EmptyFolder(walk.programFolder = outputFolder("walk", round)); },
      [&] { return RunInChild([&](int fd) { return CleanInChild(walk, fd); }); });
  tools.emplace_back(
      "find", [](int) { return std::error_code{}; },
      [&] { return RunProgram(WalkBaselineCommand(setup.tree)); });

  // Round 0 warms the caches and is not counted. The tools take turns within each round so
  // that a slow spell of the machine falls on all of them, and the tools of each group take
  // turns at going first from one round to the next: on this machine the first copy of a
  // round is often far slower than the next, which would otherwise always favour the others.
  constexpr std::size_t kCopying = 3;  // the clean and its two baselines; then walk and find
  for (int round = 0; round <= setup.runs; ++round) {
    for (std::size_t turn = 0; turn < tools.size(); ++turn) {
      const std::size_t shift = static_cast<std::size_t>(round);
      Tool& tool = tools[turn < kCopying ? (turn + shift) % kCopying
                                         : kCopying + (turn - kCopying + shift) % 2];
      if (std::error_code error = tool.prepare(round)) {
        failure = setup.shape + ", " + tool.name + ": cannot prepare the run: " + error.message();
        return {};
      }
      // The previous run's dirty pages are written back now, not during this run.
      ::sync();
      RunOutcome outcome = tool.run();
      if (!outcome.completed) {
        failure = setup.shape + ", " + tool.name + ": the run failed (" +
                  (outcome.failure.empty() ? "exit status " + std::to_string(outcome.exitStatus)
                                           : outcome.failure) +
                  ") " + outcome.report;
        return {};
      }
      if (setup.verbose) {
        std::fprintf(stderr, "  %s, round %d, %-21s %.4f s, %.1f MiB\n", setup.shape.c_str(), round,
                     tool.name.c_str(), outcome.seconds, outcome.peakRssMiB);
      }
      if (round > 0) {
        tool.seconds.push_back(outcome.seconds);
        EngineRunReport report;
        if (ParseEngineReport(outcome.report, report)) {
          tool.secondsBeforeFlush.push_back(outcome.seconds - report.flushSeconds);
        }
        tool.peakRssMiB = std::max(tool.peakRssMiB, outcome.peakRssMiB);
      }
      tool.last = std::move(outcome);
    }
  }

  // Rows: the clean without its flush, cp; the clean whole, cp and sync; walk alone, find.
  const Tool& cleanTool = tools[0];
  const struct {
    const Tool* tool;
    const char* name;
    const std::vector<double>* seconds;
  } picks[] = {
      {&cleanTool, "quillmar clean, unflushed", &cleanTool.secondsBeforeFlush},
      {&tools[1], nullptr, &tools[1].seconds},
      {&cleanTool, "quillmar clean *.txt", &cleanTool.seconds},
      {&tools[2], nullptr, &tools[2].seconds},
      {&tools[3], nullptr, &tools[3].seconds},
      {&tools[4], nullptr, &tools[4].seconds},
  };
  std::vector<ToolRow> rows(std::size(picks));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].shape = setup.shape;
    rows[i].tool = picks[i].name != nullptr ? picks[i].name : picks[i].tool->name;
    rows[i].medianSeconds = Median(*picks[i].seconds);
    rows[i].peakRssMiB = picks[i].tool->peakRssMiB;
    rows[i].baseline = i % 2 == 1;
  }
  for (std::size_t i = 0; i < rows.size(); i += 2) {
    const double base = rows[i + 1].medianSeconds;
    rows[i].ratio = base > 0 ? rows[i].medianSeconds / base : 0;
  }

  // What the last round left behind stands for every round: each started from nothing.
  CheckEngineRow(rows[0], cleanTool.last, setup.census, clean.programFolder, true);
  CheckEngineRow(rows[2], cleanTool.last, setup.census, clean.programFolder, true);
  for (const auto& [row, folder] : {std::pair{1, copies}, std::pair{3, durableCopies}}) {
    FileTally copied;
    if (std::error_code error = TallyFolder(folder, "", copied)) {
      rows[row].problems.push_back(setup.shape + ": cannot read the copies: " + error.message());
    }
    rows[row].visited = setup.census.all.files;
    rows[row].backedUp = copied.files;
    rows[row].bytes = copied.bytes;
    Expect(rows[row], "files copied", copied.files, setup.census.txt.files);
    Expect(rows[row], "bytes copied", copied.bytes, setup.census.txt.bytes);
  }
  CheckEngineRow(rows[4], tools[3].last, setup.census, walk.programFolder, false);
  rows[5].visited = setup.census.all.files;
  return rows;
}
