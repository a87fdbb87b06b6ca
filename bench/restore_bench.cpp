// Generates restoration lists and times the dialog on them. Times are taken inside the child
// around the work itself, so process start and exit weigh on neither side of a ratio.
#include "bench/restore_bench.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "bench/measure.h"
#include "bench/tree_census.h"
#include "platform/platform_files.h"
#include "framework/scripted/scripted_backend.h"
#include "restore/restore_list_dlg.h"
#include "store/store_layout.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEntriesListBox = 1004;
constexpr int kRestoreButton = 1005;

double Since(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

std::error_code WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) return std::make_error_code(std::errc::io_error);
  return {};
}

std::string EntryFolder(const std::string& scratch, std::uint32_t index) {
  char folder[16];
  std::snprintf(folder, sizeof folder, "d%03u", index % 1000);
  return scratch + "/dest/" + folder;
}

std::string EntryName(std::uint32_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "file%06u.txt", index);
  return name;
}

// Reads the whole file into text; false when it cannot.
bool ReadWhole(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (ok) {
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < text.size()) {
      const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
      ok = got > 0;
      if (ok) done += static_cast<std::size_t>(got);
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace

std::error_code PrepareRestoreList(const std::string& scratch, std::uint32_t entries,
                                   RestoreListSetup& setup) {
  namespace fs = std::filesystem;
  setup = {};
  setup.entries = entries;
  setup.restoredIndex = static_cast<int>(entries / 2);
  setup.programFolder = scratch + "/program-" + std::to_string(entries);
  const std::string backups = setup.programFolder + "/backups";
  setup.listPath = backups + "/list.txt";

  std::error_code error;
  fs::create_directories(backups, error);
  if (error) return error;
  setup.listText.reserve(static_cast<std::size_t>(entries) * (scratch.size() + 32));
  for (std::uint32_t i = 0; i < entries; ++i) {
    setup.listText += EntryFolder(scratch, i) + "//" + EntryName(i) + ";";
  }
  setup.listBytes = setup.listText.size();

  const auto restored = static_cast<std::uint32_t>(setup.restoredIndex);
  fs::create_directories(EntryFolder(scratch, restored), error);
  if (error) return error;
  setup.restoredPath = EntryFolder(scratch, restored) + "//" + EntryName(restored);
  // Its own copy, as a clean leaves it: the restore then asks nothing.
  const std::optional<std::string> own = OwnCopyPathIn(backups + "/", setup.restoredPath);
  if (!own) return std::make_error_code(std::errc::filename_too_long);
  fs::create_directories(fs::path(*own).parent_path(), error);
  if (error) return error;
  error = WriteText(*own, "the restored file\n");
  if (error) return error;
  return ResetRestoreList(setup);
}

std::error_code ResetRestoreList(const RestoreListSetup& setup) {
  if (::unlink(setup.restoredPath.c_str()) != 0 && errno != ENOENT) {
    return {errno, std::generic_category()};
  }
  return WriteText(setup.listPath, setup.listText);
}

int RestoreInChild(const RestoreListSetup& setup, int reportFd) {
  ScriptedBackend backend;
  SetProgramPathForTesting(setup.programFolder + "/quillmar");
  RestoreRunReport report;
  Clock::time_point loaded, restored;

  const Clock::time_point start = Clock::now();
  {
    CRestoreListDlg dialog;
    backend
        .Then([&] {
          loaded = Clock::now();
          report.loadedCount = dialog.Window()->ListCount(kEntriesListBox);
        })
        .Pick(kEntriesListBox, setup.restoredIndex)
        .Click(kRestoreButton)
        .Then([&] {
          restored = Clock::now();
          report.remainingCount = dialog.Window()->ListCount(kEntriesListBox);
        });
    dialog.DoModal();
  }
  report.loadSeconds = Since(start, loaded);
  report.restoreSeconds = Since(loaded, restored);

  char line[160];
  std::snprintf(line, sizeof line, "%.9f %.9f %d %d\n", report.loadSeconds, report.restoreSeconds,
                report.loadedCount, report.remainingCount);
  std::string text = line;
  for (const std::string& message : backend.MessageTexts()) text += message + "\n";
  for (const std::string& problem : backend.Problems()) text += "script: " + problem + "\n";
  return WriteAll(reportFd, text) ? 0 : 1;
}

int SplitListInChild(const RestoreListSetup& setup, int reportFd) {
  const Clock::time_point start = Clock::now();
  std::string text;
  if (!ReadWhole(setup.listPath, text)) {
    WriteAll(reportFd, "cannot read " + setup.listPath);
    return 1;
  }
  std::vector<std::string> entries;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find(';', from)) != std::string::npos; from = end + 1) {
    entries.emplace_back(text, from, end - from);
  }
  const double seconds = Since(start, Clock::now());

  char line[96];
  std::snprintf(line, sizeof line, "%.9f %zu\n", seconds, entries.size());
  return WriteAll(reportFd, line) ? 0 : 1;
}

bool ParseRestoreReport(const std::string& text, RestoreRunReport& report) {
  const std::size_t end = text.find('\n');
  if (end == std::string::npos) return false;
  if (std::sscanf(text.substr(0, end).c_str(), "%lf %lf %d %d", &report.loadSeconds,
                  &report.restoreSeconds, &report.loadedCount, &report.remainingCount) != 4) {
    return false;
  }
  report.messages = text.substr(end + 1);
  return true;
}

bool ParseSplitReport(const std::string& text, SplitRunReport& report) {
  unsigned long long entries = 0;
  if (std::sscanf(text.c_str(), "%lf %llu", &report.seconds, &entries) != 2) return false;
  report.entries = entries;
  return true;
}

bool BenchRestoreList(const std::string& scratch, std::uint32_t entries, int runs, bool verbose,
                      RestoreRow& row, std::string& failure) {
  row = {};
  row.entries = entries;
  RestoreListSetup setup;
  if (std::error_code error = PrepareRestoreList(scratch, entries, setup)) {
    failure = "cannot write a list of " + std::to_string(entries) + " entries: " + error.message();
    return false;
  }
  row.listBytes = setup.listBytes;
  const std::string label = std::to_string(entries) + " entries: ";
  std::vector<double> load, restore, baseline;
  for (int round = 0; round <= runs; ++round) {
    if (std::error_code error = ResetRestoreList(setup)) {
      failure = label + "cannot reset the list: " + error.message();
      return false;
    }
    // As in the tree runs: the reset list reaches the disk now, not during the timed run.
    ::sync();
    const RunOutcome dialogRun = RunInChild([&](int fd) { return RestoreInChild(setup, fd); });
    RestoreRunReport report;
    if (!dialogRun.completed || !ParseRestoreReport(dialogRun.report, report)) {
      failure = label + "the dialog run failed (exit status " +
                std::to_string(dialogRun.exitStatus) + ") " + dialogRun.failure + " " +
                dialogRun.report;
      return false;
    }
    std::uint64_t records = 0;
    CountRecords(setup.listPath, records);
    std::error_code ignored;
    const bool fileBack = std::filesystem::is_regular_file(setup.restoredPath, ignored);

    // The dialog has rewritten the list; the baseline reads the list the dialog loaded.
    if (std::error_code error = ResetRestoreList(setup)) {
      failure = label + "cannot reset the list: " + error.message();
      return false;
    }
    const RunOutcome splitRun = RunInChild([&](int fd) { return SplitListInChild(setup, fd); });
    SplitRunReport split;
    if (!splitRun.completed || !ParseSplitReport(splitRun.report, split)) {
      failure = label + "the baseline run failed: " + splitRun.failure + " " + splitRun.report;
      return false;
    }
    if (verbose) {
      std::fprintf(stderr, "  %u entries, round %d: load %.5f s, restore %.5f s, split %.5f s\n",
                   entries, round, report.loadSeconds, report.restoreSeconds, split.seconds);
    }
    if (round == 0) continue;

    load.push_back(report.loadSeconds);
    restore.push_back(report.restoreSeconds);
    baseline.push_back(split.seconds);
    row.peakRssMiB = std::max(row.peakRssMiB, dialogRun.peakRssMiB);
    row.baselinePeakRssMiB = std::max(row.baselinePeakRssMiB, splitRun.peakRssMiB);
    if (round != runs) continue;
    // The checks of the last round stand for all of them: every round starts from the same
    // files.
    const auto expected = static_cast<int>(entries);
    if (report.loadedCount != expected) {
      row.problems.push_back(label + "list box held " + std::to_string(report.loadedCount));
    }
    if (report.remainingCount != expected - 1) {
      row.problems.push_back(label + "list box kept " + std::to_string(report.remainingCount) +
                             " after the restore");
    }
    if (report.messages != "File Restored\n") {
      row.problems.push_back(label + "messages: " + report.messages);
    }
    if (records != entries - 1) {
      row.problems.push_back(label + "list.txt rewritten with " + std::to_string(records) +
                             " records");
    }
    if (!fileBack) row.problems.push_back(label + "the restored file is missing");
    if (split.entries != entries) {
      row.problems.push_back(label + "the baseline split " + std::to_string(split.entries));
    }
  }
  row.loadSeconds = Median(load);
  row.restoreSeconds = Median(restore);
  row.baselineSeconds = Median(baseline);
  RemoveTree(setup.programFolder);
  return true;
}
