// Restoring one entry of list.txt: which copy, which questions, the copy back, the rewrite
// of the list. Front ends (the restoration dialog, a command line) only ask and present.
#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system_flush.h"
#include "store/list_on_disk.h"

// What a front end answers, and does to its own list, while one entry is restored.
class RestoreConversation {
 public:
  RestoreConversation() = default;
  virtual ~RestoreConversation() = default;
  RestoreConversation(const RestoreConversation&) = delete;
  RestoreConversation& operator=(const RestoreConversation&) = delete;

  // The entry has no copy of its own, and the shared copy of its name was last taken from
  // another file, origin, or from a file of that name whose path the copy does not keep
  // (origin empty): restore that file's contents to entry?
  virtual bool RestoreFromOtherOrigin(const std::string& origin, const std::string& entry) = 0;
  // A file is at entry already: replace it?
  virtual bool Overwrite(const std::string& entry) = 0;
  // The entry is done with: drop it from the front end's own list. False when that list has
  // no such entry; list.txt is then left as it is.
  virtual bool DropEntry(const std::string& entry) = 0;
};

enum class RestoreResult {
  kRestored,             // the copy is back at a free path
  kRestoredOverwriting,  // the copy replaced the file there, as agreed
  kDeclined,             // a question was answered No: nothing changed
  kCopyMissing,          // the entry has no copy in the store any more
  kCopyFailed,           // the copy could not be put back (error says why): nothing changed
  kOverwriteFailed,      // agreed to replace the file there, but that failed (error says why),
                         // or the file there could not be kept as a version first
};

struct RestoreOutcome {
  RestoreResult result = RestoreResult::kCopyFailed;
  std::error_code error;
  // After a copy that came back: why list.txt could not be rewritten, and why the restored
  // file could not be flushed to disk (a success not on disk is not reported as one).
  std::error_code rewriteError;
  std::error_code flushError;
  // Where the file that a restore replaced is kept, as a version of the entry's path.
  std::string keptVersion;
};

// What the restores of one batch leave for its end (restore_batch.h): the entries dropped
// from the front end's list, whose records go in one rewrite, and the paths restored, whose
// file systems are flushed once each.
struct BatchEnd {
  std::vector<std::string> dropped;
  FilesToFlush restored;
};

// Restores entry from the store folder store (ending with a separator). The entry's own copy
// is taken when it has one, without a question (an own copy that is a symbolic link comes back
// as the same link, never followed); otherwise the shared copy of its name, after
// RestoreFromOtherOrigin unless that copy keeps entry as its origin. The origin asked about
// is that of the very file then copied. The folders on the way to an absolute entry
// are made when missing. A file already at the entry is replaced only after Overwrite, and
// only once it is kept as a version of the entry's path (versions.h). After the copy,
// DropEntry, then the list is rewritten without it and the file flushed to disk; with batch,
// both are left to the batch's end instead (the outcome then has no rewrite or flush error).
RestoreOutcome RestoreEntry(const std::string& store, const std::string& entry, ListOnDisk& list,
                            RestoreConversation& conversation, BatchEnd* batch = nullptr);

// As RestoreEntry, from the copy at copyPath: one of the entry's own copies (its latest, or a
// version, see versions.h), so no question about another origin is asked.
RestoreOutcome RestoreEntryFrom(const std::string& store, const std::string& entry,
                                const std::string& copyPath, ListOnDisk& list,
                                RestoreConversation& conversation, BatchEnd* batch = nullptr);

// Restores entry as a further name (a hard link) of the file at restored, which a restore
// has just put back, with the questions and the version of RestoreEntry. Where the file
// system has no hard links, entry gets a copy of its own.
RestoreOutcome RestoreEntryAsNameOf(const std::string& store, const std::string& entry,
                                    const std::string& restored, ListOnDisk& list,
                                    RestoreConversation& conversation, BatchEnd* batch = nullptr);

// Takes an entry whose copies are gone out of the list, as a restore would: DropEntry, then
// the rewrite (left to the batch's end with batch). On failure returns why.
std::error_code ForgetEntry(const std::string& entry, ListOnDisk& list,
                            RestoreConversation& conversation, BatchEnd* batch = nullptr);
