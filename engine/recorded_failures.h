// Test support: while it lives, every failure of a clean is recorded as the texts a user would
// read in its message boxes (every failure, not only the first of its kind as the desktop
// shows), so that tests check each report as it reads.
#pragma once

#include <string>
#include <vector>

#include "engine/clean_failure_texts.h"
#include "engine/clean_reporter.h"

class RecordedFailures : public CleanReporter {
 public:
  void Failure(const CleanFailureReport& report) override {
    for (std::string& text : CleanFailureTexts(report)) m_texts.push_back(std::move(text));
  }
  const std::vector<std::string>& Texts() const { return m_texts; }
  void Clear() { m_texts.clear(); }

 private:
  std::vector<std::string> m_texts;
  ScopedCleanReporter m_installed{*this};
};
