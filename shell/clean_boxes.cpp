// The message boxes of a clean's failures. The texts are the program's own, spelling
// included; only the two about the store as a whole name a folder and a reason.
#include "clean_boxes.h"

#include "framework/message_box.h"
#include "platform/platform_files.h"

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
  switch (report.failure) {
    case CleanFailure::kListNotOpened:
      AfxMessageBox("Openning restoration list file failed.");
      AfxMessageBox("Failed to create backup list text file");
      return;
    case CleanFailure::kPathNotRecordable:
    case CleanFailure::kRecordNotWritten:
      AfxMessageBox("Failed writting to backup text file");
      return;
    case CleanFailure::kSourceNotCopied:
    case CleanFailure::kStoreNotCopied:
    case CleanFailure::kSharedCopyNotNamed:
      AfxMessageBox("CopyFile failed.");
      return;
    case CleanFailure::kListNotReopened:
      AfxMessageBox("Openning restoration list file failed.");
      AfxMessageBox("Failed writting to backup text file");
      return;
    case CleanFailure::kStoreNotWritable:
      AfxMessageBox("The backups folder cannot be written:\n" + report.path + "\n" +
                    ErrorText(report.reason) + "\nThe clean stops here.");
      return;
    case CleanFailure::kFlushFailed:
      AfxMessageBox("Writing the backups to disk failed: " + ErrorText(report.reason));
      return;
  }
}
