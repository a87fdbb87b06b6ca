// A clean's failures and progress on a terminal.
#include "cli/terminal_clean_reporter.h"

#include <cstdio>

namespace {

// What a failure means, before its path and reason.
const char* Meaning(CleanFailure failure) {
  switch (failure) {
    case CleanFailure::kListNotOpened:
      return "cannot open or create the restoration list in";
    case CleanFailure::kPathNotRecordable:
      return "not backed up: the restoration list cannot record a path holding \";\"";
    case CleanFailure::kSourceNotCopied:
      return "cannot copy";
    case CleanFailure::kStoreNotCopied:
      return "the backups folder did not take the copy of";
    case CleanFailure::kListNotReopened:
      return "cannot open the restoration list to record";
    case CleanFailure::kRecordNotWritten:
      return "cannot record in the restoration list";
    case CleanFailure::kStoreNotWritable:
      return "the backups folder cannot be written, the clean stops here";
    case CleanFailure::kFlushFailed:
      return "writing the backups to disk failed in";
    case CleanFailure::kSharedCopyNotNamed:
      return "has a copy of its own, but the shared copy of its name could not be replaced";
  }
  return "failed";
}

}  // namespace

std::string CleanCounts(const WalkProgress& progress) {
  return std::to_string(progress.filesVisited) +
         (progress.filesVisited == 1 ? " file visited, " : " files visited, ") +
         std::to_string(progress.filesBackedUp) + " backed up, " +
         std::to_string(progress.filesFailed) + " failed";
}

TerminalCleanReporter::TerminalCleanReporter(const CliStreams& io, bool showProgress,
                                             const ScopedStopRequests* stop)
    : m_io(io), m_showProgress(showProgress), m_stop(stop), m_start(Clock::now()) {
  SetWalkProgressObserver(OnProgress, this);
}

TerminalCleanReporter::~TerminalCleanReporter() {
  SetWalkProgressObserver(nullptr, nullptr);
  EndProgress();
}

void TerminalCleanReporter::EndProgress() {
  if (!m_lineShown) return;
  Print(m_io.err, "\r\033[K");
  std::fflush(m_io.err);
  m_lineShown = false;
}

void TerminalCleanReporter::Failure(const CleanFailureReport& report) {
  ++m_failures;
  EndProgress();
  PrintFailure(m_io, Meaning(report.failure), report.path, report.reason);
}

bool TerminalCleanReporter::OnProgress(const WalkProgress& progress, void* context) {
  auto& self = *static_cast<TerminalCleanReporter*>(context);
  self.m_progress = progress;
  const bool goOn = self.m_stop == nullptr || !self.m_stop->Requested();
  if (!self.m_showProgress) return goOn;
  const Clock::time_point now = Clock::now();
  if (self.m_lineShown && now - self.m_lastShown < kInterval) return goOn;
  self.m_lastShown = now;
  const double seconds = std::chrono::duration<double>(now - self.m_start).count();
  char rate[48];
  std::snprintf(rate, sizeof rate, " (%.0f files/s)",
                seconds > 0 ? static_cast<double>(progress.filesVisited) / seconds : 0.0);
  Print(self.m_io.err, "\r" + CleanCounts(progress) + rate + "\033[K");
  std::fflush(self.m_io.err);
  self.m_lineShown = true;
  return goOn;
}
