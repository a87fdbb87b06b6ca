// The texts of a clean's failures, kept apart from the boxes that show them so that the engine's
// tests read each failure as a user reads it, without a window.
#include "engine/clean_failure_texts.h"

#include "platform/platform_files.h"

std::vector<std::string> CleanFailureTexts(const CleanFailureReport& report) {
  switch (report.failure) {
    case CleanFailure::kListNotOpened:
      return {"Openning restoration list file failed.", "Failed to create backup list text file"};
    case CleanFailure::kPathNotRecordable:
    case CleanFailure::kRecordNotWritten:
      return {"Failed writting to backup text file"};
    case CleanFailure::kSourceNotCopied:
    case CleanFailure::kStoreNotCopied:
    case CleanFailure::kSharedCopyNotNamed:
      return {"CopyFile failed."};
    case CleanFailure::kListNotReopened:
      return {"Openning restoration list file failed.", "Failed writting to backup text file"};
    case CleanFailure::kStoreNotWritable:
      return {"The backups folder cannot be written:\n" + report.path + "\n" +
              ErrorText(report.reason) + "\nThe clean stops here."};
    case CleanFailure::kFlushFailed:
      return {"Writing the backups to disk failed: " + ErrorText(report.reason)};
  }
  return {};
}
