// Restoring many entries as one: the Restore of several highlighted rows, `restore --under`
// and `restore --all`. Each entry comes back as RestoreEntry brings it, with its questions,
// but list.txt is rewritten once for all of them and each file system flushed once, so the
// batch costs what its copies cost rather than a rewrite of the whole list per entry.
#pragma once

#include <cstddef>
#include <string>
#include <system_error>

#include "store/entry_restore.h"
#include "store/list_on_disk.h"

class RestoreBatch {
 public:
  // store: the store folder, ending with a separator. list and conversation must outlive the
  // batch; conversation's DropEntry is called as each entry comes back, list is rewritten
  // only by Finish.
  RestoreBatch(std::string store, ListOnDisk& list, RestoreConversation& conversation);
  RestoreBatch(const RestoreBatch&) = delete;
  RestoreBatch& operator=(const RestoreBatch&) = delete;

  // As RestoreEntry and RestoreEntryFrom; the outcome carries no rewrite or flush error,
  // which Finish reports for all of them.
  RestoreOutcome Restore(const std::string& entry);
  RestoreOutcome RestoreFrom(const std::string& entry, const std::string& copyPath);
  // Takes a record of entry off the list with the others, as ForgetEntry does: a further
  // record of a path restored, or one whose copies are gone.
  void Forget(const std::string& entry);

  // Records the rewrite will take off the list so far.
  std::size_t Dropped() const { return m_end.dropped.size(); }

  struct Ending {
    std::error_code flushError;    // the restored files could not all be put on disk
    std::error_code rewriteError;  // list.txt is as it was before the batch
  };
  // Flushes the file systems of the files restored, then rewrites list.txt once without every
  // record dropped (ListOnDisk::RemoveAll: under the store's lock, keeping what other
  // instances appended meanwhile, all or nothing). Call once, after the last entry.
  Ending Finish();

 private:
  std::string m_store;
  ListOnDisk& m_list;
  RestoreConversation& m_conversation;
  BatchEnd m_end;
};
