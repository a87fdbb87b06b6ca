// The walk's progress in the title bar, paced by a steady clock.
#include "walk_progress_display.h"

#include <utility>

namespace {

std::string Count(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string WalkProgressTitle(const std::string& restingTitle, const WalkProgress& progress) {
  return restingTitle + " - " + Count(progress.filesVisited, "file", "files") + " visited, " +
         std::to_string(progress.filesBackedUp) + " backed up";
}

WalkProgressDisplay::WalkProgressDisplay(DialogWindow& window, std::string restingTitle, Now now)
    : m_window(window), m_restingTitle(std::move(restingTitle)), m_now(std::move(now)) {
  m_lastShown = m_now();
  SetWalkProgressObserver(OnProgress, this);
}

WalkProgressDisplay::~WalkProgressDisplay() {
  SetWalkProgressObserver(nullptr, nullptr);
  m_window.SetTitle(m_restingTitle);
}

void WalkProgressDisplay::OnProgress(const WalkProgress& progress, void* context) {
  static_cast<WalkProgressDisplay*>(context)->Update(progress);
}

void WalkProgressDisplay::Update(const WalkProgress& progress) {
  // Reading a steady clock costs far less than visiting a file, so it is read every time.
  const Clock::time_point now = m_now();
  if (now - m_lastShown < kInterval) return;
  m_lastShown = now;
  m_window.SetTitle(WalkProgressTitle(m_restingTitle, progress));
  CurrentWindowBackend().KeepResponsive();
}
