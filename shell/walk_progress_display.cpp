// The walk's progress and summary in the title bar, paced by a steady clock, and the
// question that stops a walk.
#include "walk_progress_display.h"

#include <utility>

#include "framework/message_box.h"

namespace {

std::string Count(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string WalkProgressTitle(const std::string& restingTitle, const WalkProgress& progress,
                              bool stopped) {
  return restingTitle + (stopped ? " - stopped: " : " - ") +
         Count(progress.filesVisited, "file", "files") + " visited, " +
         std::to_string(progress.filesBackedUp) + " backed up, " +
         std::to_string(progress.filesFailed) + " failed";
}

WalkProgressDisplay::WalkProgressDisplay(DialogWindow& window, std::string restingTitle, Now now)
    : m_window(window), m_restingTitle(std::move(restingTitle)), m_now(std::move(now)) {
  SetWalkProgressObserver(OnProgress, this);
}

WalkProgressDisplay::~WalkProgressDisplay() {
  SetWalkProgressObserver(nullptr, nullptr);
  // Without it, a clean that backed up nothing (a pattern no file's extension matches) would
  // end looking exactly like one that backed up everything.
  m_window.SetTitle(WalkProgressTitle(m_restingTitle, m_progress, m_stopped));
}

bool WalkProgressDisplay::OnProgress(const WalkProgress& progress, void* context) {
  return static_cast<WalkProgressDisplay*>(context)->Update(progress);
}

bool WalkProgressDisplay::Update(const WalkProgress& progress) {
  m_progress = progress;
  // Reading a steady clock costs far less than visiting a file, so it is read every time.
  // The first file is shown at once: even a walk shorter than the interval then shows that
  // it started, and hears a request to stop.
  const Clock::time_point now = m_now();
  if (m_shownOnce && now - m_lastShown < kInterval) return true;
  m_shownOnce = true;
  m_lastShown = now;
  m_window.SetTitle(WalkProgressTitle(m_restingTitle, progress));
  const StopRequest request = CurrentWindowBackend().KeepResponsive();
  if (request == StopRequest::Nothing) return true;
  if (AfxMessageBox("Stop the clean?", MB_YESNO) != IDYES) return true;
  m_stopped = true;
  m_closeRequested = request == StopRequest::Close;
  return false;
}
