// CleanBoxes: the desktop's clean reporter, one for each clean. The first failure of each kind
// becomes the program's own message boxes, with their texts, as the walk meets it; later ones
// of that kind show none, since the window at the end of the clean names every file it could
// not protect, and a tree of thousands of unreadable files must not stop the walk thousands of
// times.
#pragma once

#include <set>

#include "engine/clean_reporter.h"

// The boxes of one failure, shown now.
void ShowCleanFailureBoxes(const CleanFailureReport& report);

class CleanBoxes : public CleanReporter {
 public:
  void Failure(const CleanFailureReport& report) override;

 private:
  // The kinds whose boxes this clean has shown, each under the failure that stands for the
  // failures showing the same boxes.
  std::set<CleanFailure> m_shown;
};
