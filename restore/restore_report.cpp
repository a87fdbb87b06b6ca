// The report of a Restore of several entries.
#include "restore/restore_report.h"

#include "platform/platform_files.h"

std::string ReasonLeft(const RestoreOutcome& outcome) {
  switch (outcome.result) {
    case RestoreResult::kDeclined:
      return "not restored, as answered";
    case RestoreResult::kCopyMissing:
      return "no backup copy left to restore: " + ErrorText(outcome.error);
    case RestoreResult::kCopyFailed:
      return "cannot restore: " + ErrorText(outcome.error);
    case RestoreResult::kOverwriteFailed:
      return "cannot replace the file there: " + ErrorText(outcome.error);
    case RestoreResult::kRestored:
    case RestoreResult::kRestoredOverwriting:
      break;
  }
  return {};
}

std::string HighlightedRestoreReport(std::size_t restored, const std::vector<LeftEntry>& left) {
  std::string text = restored == 1   ? "File Restored"
                     : restored == 0 ? "No files restored"
                                     : std::to_string(restored) + " files restored";
  if (left.empty()) return text;
  text += left.size() == 1
              ? "\n\n1 file not restored, still in the list:"
              : "\n\n" + std::to_string(left.size()) + " files not restored, still in the list:";
  for (std::size_t i = 0; i < left.size() && i < kNamedLeft; ++i) {
    text += "\n" + left[i].path + ": " + left[i].reason;
  }
  if (left.size() > kNamedLeft) {
    text += "\nand " + std::to_string(left.size() - kNamedLeft) + " more, still highlighted";
  }
  return text;
}
