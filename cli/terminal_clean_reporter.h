// TerminalCleanReporter: a clean's failures as lines on standard error, and, while standard
// error is a terminal, its progress redrawn on one line: files visited, backed up and failed,
// with the rate. A failure first clears the progress line, so the two never mix.
#pragma once

#include <chrono>
#include <string>

#include "cli/cli_io.h"
#include "engine/clean_reporter.h"
#include "engine/folder_walk.h"
#include "platform/stop_requests.h"

// "1234 files visited, 56 backed up, 2 failed"
std::string CleanCounts(const WalkProgress& progress);

class TerminalCleanReporter : public CleanReporter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{100};

  // Becomes the walk's progress observer until destroyed; showProgress is false where nobody
  // watches standard error (a file, a pipe). Once stop (if given) has a request, the walk
  // stops after the file in hand, as when the user stops it in the window.
  TerminalCleanReporter(const CliStreams& io, bool showProgress,
                        const ScopedStopRequests* stop = nullptr);
  ~TerminalCleanReporter() override;

  void Failure(const CleanFailureReport& report) override;
  // The counts of the last file the walk handled.
  const WalkProgress& Progress() const { return m_progress; }
  // How many failures were reported: some (a failed flush, a shared copy not replaced) leave
  // every count whole and still mean that not everything asked for was done.
  std::size_t Failures() const { return m_failures; }
  // Clears the progress line, if one is shown.
  void EndProgress();

 private:
  static bool OnProgress(const WalkProgress& progress, void* context);

  CliStreams m_io;
  bool m_showProgress;
  const ScopedStopRequests* m_stop;
  bool m_lineShown = false;
  Clock::time_point m_start;
  Clock::time_point m_lastShown;
  WalkProgress m_progress;
  std::size_t m_failures = 0;
};
