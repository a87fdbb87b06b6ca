// The walk's progress and summary in the title bar and the progress lines, paced by a steady
// clock, and the question that stops a walk.
#include "walk_progress_display.h"

#include <cmath>
#include <utility>

#include "framework/message_box.h"
#include "platform/path_parts.h"

namespace {

std::string Count(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string WalkProgressCounts(const WalkProgress& progress) {
  return Count(progress.filesVisited, "file", "files") + " visited, " +
         std::to_string(progress.filesBackedUp) + " backed up, " +
         std::to_string(progress.filesFailed) + " failed";
}

std::string WalkProgressCountsAndRate(const WalkProgress& progress, double seconds) {
  if (seconds <= 0) return WalkProgressCounts(progress);
  const auto rate = static_cast<std::uint64_t>(
      std::llround(static_cast<double>(progress.filesVisited) / seconds));
  return WalkProgressCounts(progress) + "\n" + std::to_string(rate) + " files/s";
}

std::string WalkProgressFolder(std::string_view folder) {
  // A root ("/", "C:\\") keeps its separator: without it, it would name another folder.
  const bool separatorLast =
      !folder.empty() && (folder.back() == '/' || folder.back() == kPathSeparator);
  if (separatorLast && folder.size() > 1 && folder[folder.size() - 2] != ':') {
    folder.remove_suffix(1);
  }
  return std::string(folder);
}

std::string WalkProgressTitle(const std::string& restingTitle, const WalkProgress& progress,
                              bool stopped) {
  return restingTitle + (stopped ? " - stopped: " : " - ") + WalkProgressCounts(progress);
}

WalkProgressDisplay::WalkProgressDisplay(DialogWindow& window, std::string restingTitle, Now now,
                                         WalkProgressLines lines)
    : m_window(window),
      m_restingTitle(std::move(restingTitle)),
      m_now(std::move(now)),
      m_lines(lines) {
  SetWalkProgressObserver(OnProgress, this);
}

WalkProgressDisplay::~WalkProgressDisplay() {
  SetWalkProgressObserver(nullptr, nullptr);
  // Without it, a clean that backed up nothing (a pattern no file's extension matches) would
  // end looking exactly like one that backed up everything.
  m_window.SetTitle(WalkProgressTitle(m_restingTitle, m_progress, m_stopped));
  if (m_lines.counts != 0) {
    m_window.SetItemText(m_lines.counts, (m_stopped ? "Stopped: " : "Done: ") +
                                             WalkProgressCountsAndRate(m_progress, SecondsSoFar()));
  }
  if (m_lines.folder != 0) m_window.SetItemText(m_lines.folder, "");
}

double WalkProgressDisplay::SecondsSoFar() const {
  if (!m_shownOnce) return 0;
  return std::chrono::duration<double>(m_lastReading - m_started).count();
}

bool WalkProgressDisplay::OnProgress(const WalkProgress& progress, void* context) {
  return static_cast<WalkProgressDisplay*>(context)->Update(progress);
}

bool WalkProgressDisplay::Update(const WalkProgress& progress) {
  m_progress = progress;
  m_progress.folder = {};  // the walk's own text, gone once this call returns
  // Reading a steady clock costs far less than visiting a file, so it is read every time.
  // The first file is shown at once: even a walk shorter than the interval then shows that
  // it started, and hears a request to stop.
  const Clock::time_point now = m_now();
  m_lastReading = now;
  if (m_shownOnce && now - m_lastShown < kInterval) return true;
  if (!m_shownOnce) m_started = now;
  m_shownOnce = true;
  m_lastShown = now;
  m_window.SetTitle(WalkProgressTitle(m_restingTitle, progress));
  if (m_lines.counts != 0) {
    m_window.SetItemText(m_lines.counts, WalkProgressCountsAndRate(progress, SecondsSoFar()));
  }
  if (m_lines.folder != 0) {
    m_window.SetItemText(m_lines.folder, WalkProgressFolder(progress.folder));
  }
  const StopRequest request = CurrentWindowBackend().KeepResponsive();
  if (request == StopRequest::Nothing) return true;
  if (AfxMessageBox("Stop the clean?", MB_YESNO) != IDYES) return true;
  m_stopped = true;
  m_closeRequested = request == StopRequest::Close;
  return false;
}
