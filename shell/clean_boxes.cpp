// The message boxes of a clean's failures, one for each of its texts (clean_failure_texts.h).
#include "clean_boxes.h"

#include "engine/clean_failure_texts.h"
#include "framework/message_box.h"

namespace {

// Failures that show the same boxes are one kind.
CleanFailure KindOf(CleanFailure failure) {
  switch (failure) {
    case CleanFailure::kRecordNotWritten:
      return CleanFailure::kPathNotRecordable;
    case CleanFailure::kStoreNotCopied:
      return CleanFailure::kSourceNotCopied;
    default:
      return failure;
  }
}

}  // namespace

void CleanBoxes::Failure(const CleanFailureReport& report) {
  if (m_shown.insert(KindOf(report.failure)).second) ShowCleanFailureBoxes(report);
}

void ShowCleanFailureBoxes(const CleanFailureReport& report) {
  for (const std::string& text : CleanFailureTexts(report)) AfxMessageBox(text);
}
