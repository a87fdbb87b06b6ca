// CleanBoxes: the desktop's clean reporter. Each failure the engine reports becomes the
// program's own message boxes, with their texts and in their order, as the walk meets it.
#pragma once

#include "engine/clean_reporter.h"

class CleanBoxes : public CleanReporter {
 public:
  void Failure(const CleanFailureReport& report) override;
};
