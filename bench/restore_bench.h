// The restoration-list half of the benchmark: the real restoration dialog, run through the
// scripted backend on a generated list.txt, beside a plain read-and-split of the same file.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

// A program folder whose backups/list.txt holds entries paths, and the one backup copy that
// the restore in the benchmark needs. Entries look like "<scratch>/dest/d123//file012345.txt".
struct RestoreListSetup {
  std::string programFolder;
  std::string listPath;
  std::uint32_t entries = 0;
  std::uint64_t listBytes = 0;
  int restoredIndex = 0;     // the entry restored, in file order (= list-box index)
  std::string restoredPath;  // where that entry's file goes back to
  std::string listText;      // the list as written, to put it back between runs
};

// Builds everything under scratch (which must exist). The destination of the restored entry
// is left free, so the restore asks no question.
std::error_code PrepareRestoreList(const std::string& scratch, std::uint32_t entries,
                                   RestoreListSetup& setup);
// Puts list.txt back as PrepareRestoreList wrote it and frees the destination again.
std::error_code ResetRestoreList(const RestoreListSetup& setup);

// Child body (see RunInChild): shows CRestoreListDlg, which loads the list, then picks the
// entry and clicks "Restore", which copies it back and rewrites the list. Reports the
// seconds of the load and of the restore, measured inside the child, and the list-box counts.
int RestoreInChild(const RestoreListSetup& setup, int reportFd);

// Child body: reads list.txt whole and splits it at ';' into a std::vector<std::string>.
// Reports the seconds taken and the number of entries.
int SplitListInChild(const RestoreListSetup& setup, int reportFd);

struct RestoreRunReport {
  double loadSeconds = 0;     // dialog construction until the list box holds every entry
  double restoreSeconds = 0;  // the Restore click: copy back, both lists, rewrite of list.txt
  int loadedCount = -1;       // list-box items after the load
  int remainingCount = -1;    // after the restore
  std::string messages;       // every message box text, each followed by '\n'
};
bool ParseRestoreReport(const std::string& text, RestoreRunReport& report);

struct SplitRunReport {
  double seconds = 0;
  std::uint64_t entries = 0;
};
bool ParseSplitReport(const std::string& text, SplitRunReport& report);

// Medians over the timed runs of one list size.
struct RestoreRow {
  std::uint32_t entries = 0;
  std::uint64_t listBytes = 0;
  double loadSeconds = 0;
  double restoreSeconds = 0;
  double baselineSeconds = 0;
  double peakRssMiB = 0;  // the dialog's child, highest of the timed runs
  double baselinePeakRssMiB = 0;
  // Wrong counts, unexpected messages, a list not rewritten: figures not to be trusted.
  std::vector<std::string> problems;
};

// One untimed warm-up, then runs timed runs of the dialog and of the baseline, interleaved.
// verbose prints every run's times to standard error.
// Returns false and sets failure when a run could not be made.
bool BenchRestoreList(const std::string& scratch, std::uint32_t entries, int runs, bool verbose,
                      RestoreRow& row, std::string& failure);
