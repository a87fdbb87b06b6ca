// WalkProgressDisplay: while a walk runs on the user-interface thread, shows its progress in
// the window's title and lets the windows repaint, at most every 50 ms so that a walk over
// many small files is not slowed by the window; puts the resting title back when it ends.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "engine/folder_walk.h"
#include "framework/window_backend.h"

// "Quillmar - 1234 files visited, 56 backed up" for a resting title "Quillmar".
std::string WalkProgressTitle(const std::string& restingTitle, const WalkProgress& progress);

class WalkProgressDisplay {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;
  static constexpr std::chrono::milliseconds kInterval{50};

  // Becomes the walk's progress observer until destroyed. The window must outlive this
  // object; now is the clock (tests pass their own).
  WalkProgressDisplay(DialogWindow& window, std::string restingTitle, Now now = Clock::now);
  // Removes the observer and gives the window back its resting title.
  ~WalkProgressDisplay();
  WalkProgressDisplay(const WalkProgressDisplay&) = delete;
  WalkProgressDisplay& operator=(const WalkProgressDisplay&) = delete;

 private:
  static void OnProgress(const WalkProgress& progress, void* context);
  void Update(const WalkProgress& progress);

  DialogWindow& m_window;
  std::string m_restingTitle;
  Now m_now;
  Clock::time_point m_lastShown;
};
