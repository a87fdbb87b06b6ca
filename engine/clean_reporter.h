// CleanReporter: how the engine and its store tell a front end what went wrong during a
// clean. The engine never shows anything itself; the desktop shell turns each report into
// the program's message boxes, the command line prints it. Progress goes through the walk's
// progress observer (folder_walk.h), and what the clean could not protect is collected for
// the front end to show at the end (UnprotectedItems() in backup_store.h).
#pragma once

#include <string>
#include <system_error>

enum class CleanFailure {
  kListNotOpened,       // list.txt could not be opened or created before a folder's files
  kPathNotRecordable,   // the path holds the list's separator: the file is not backed up
  kSourceNotCopied,     // the file itself could not be read or copied
  kStoreNotCopied,      // the store did not take the copy
  kListNotReopened,     // list.txt could not be opened for this file's record
  kRecordNotWritten,    // the record could not be written into the open list
  kStoreNotWritable,    // the store cannot be written at all: the walk stops after this
  kFlushFailed,         // the copies and records of the clean could not be flushed to disk
  kSharedCopyNotNamed,  // the file has its own copy, but the shared copy of its name is not it
};

// path is the file in hand, or the store's folder for kListNotOpened, kStoreNotWritable and
// kFlushFailed (empty when the store's folder is unknown); reason is the system's error.
struct CleanFailureReport {
  CleanFailure failure;
  std::string path;
  std::error_code reason;
};

class CleanReporter {
 public:
  CleanReporter() = default;
  virtual ~CleanReporter() = default;
  CleanReporter(const CleanReporter&) = delete;
  CleanReporter& operator=(const CleanReporter&) = delete;

  // Called at once, on the walk's thread, in the order the failures happen; the walk goes
  // on afterwards unless the report says it stops.
  virtual void Failure(const CleanFailureReport& report) = 0;
};

// Installs reporter for the walks that follow (null: reports go nowhere). The caller keeps
// it alive while installed. Returns the one installed before.
CleanReporter* SetCleanReporter(CleanReporter* reporter);
// Passes report to the installed reporter, if any.
void ReportCleanFailure(CleanFailure failure, std::string path, std::error_code reason);

// Installs a reporter for the life of this object, then puts the earlier one back.
class ScopedCleanReporter {
 public:
  explicit ScopedCleanReporter(CleanReporter& reporter) : m_previous(SetCleanReporter(&reporter)) {}
  ~ScopedCleanReporter() { SetCleanReporter(m_previous); }
  ScopedCleanReporter(const ScopedCleanReporter&) = delete;
  ScopedCleanReporter& operator=(const ScopedCleanReporter&) = delete;

 private:
  CleanReporter* m_previous;
};
