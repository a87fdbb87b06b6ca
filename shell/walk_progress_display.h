// WalkProgressDisplay: while a walk runs on the user-interface thread, shows its progress in
// the window's title (the counts, in short) and in two lines of the window (the counts with
// the rate, and the folder in hand), and lets the windows repaint, at most every 50 ms so
// that a walk over many small files is not slowed by the window. Escape or the close box
// meanwhile ask "Stop the clean?"; Yes ends the walk after the file in hand, and after the
// close box tells the caller to close once the walk has ended. When the walk ends, the title
// and the counts line keep its summary.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "engine/folder_walk.h"
#include "framework/window_backend.h"

// "Quillmar - 1234 files visited, 56 backed up, 2 failed" for a resting title "Quillmar";
// "Quillmar - stopped: ..." for a walk the user stopped.
std::string WalkProgressTitle(const std::string& restingTitle, const WalkProgress& progress,
                              bool stopped = false);

// "1234 files visited, 56 backed up, 2 failed".
std::string WalkProgressCounts(const WalkProgress& progress);
// The counts, and below them the files visited a second over `seconds` ("812 files/s") when
// any time has passed.
std::string WalkProgressCountsAndRate(const WalkProgress& progress, double seconds);
// The folder in hand as the progress shows it: without the separator a sub-folder's path
// ends with, so that a line too narrow for it keeps the folder's own name at its end.
std::string WalkProgressFolder(std::string_view folder);

// The static controls of the window that show the walk in full; 0 for none.
struct WalkProgressLines {
  int counts = 0;  // two lines: the counts and the rate; the summary once the walk has ended
  int folder = 0;  // the folder in hand, emptied when the walk ends
};

class WalkProgressDisplay {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;
  static constexpr std::chrono::milliseconds kInterval{50};

  // Becomes the walk's progress observer until destroyed. The window must outlive this
  // object; now is the clock (tests pass their own), read once for every file.
  WalkProgressDisplay(DialogWindow& window, std::string restingTitle, Now now = Clock::now,
                      WalkProgressLines lines = {});
  // Removes the observer and leaves the summary of the walk in the window's title.
  ~WalkProgressDisplay();
  WalkProgressDisplay(const WalkProgressDisplay&) = delete;
  WalkProgressDisplay& operator=(const WalkProgressDisplay&) = delete;

  // True once the user pressed the close box and agreed to stop: the window is to close as
  // soon as the walk has ended.
  bool CloseRequested() const { return m_closeRequested; }

 private:
  static bool OnProgress(const WalkProgress& progress, void* context);
  // False when the user chose to stop the walk.
  bool Update(const WalkProgress& progress);

  double SecondsSoFar() const;

  DialogWindow& m_window;
  std::string m_restingTitle;
  Now m_now;
  WalkProgressLines m_lines;
  Clock::time_point m_started;  // the first file's reading
  Clock::time_point m_lastReading;
  Clock::time_point m_lastShown;
  bool m_shownOnce = false;
  bool m_stopped = false;
  bool m_closeRequested = false;
  WalkProgress m_progress;
};
