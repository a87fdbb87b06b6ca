// Restoring many entries as one: the Restore of several highlighted rows, `restore --under`
// and `restore --all`. Each entry comes back as RestoreEntry brings it, with its questions,
// but list.txt is rewritten once for all of them and each file system flushed once, so the
// batch costs what its copies cost rather than a rewrite of the whole list per entry.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include <system_error>

#include "platform/file_key.h"
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
  // which Finish reports for all of them. An entry whose copy is one file with the copy of an
  // entry this batch restored before (the names of one file, a hard link, as a clean keeps
  // them) comes back as a further name of that entry's file.
  RestoreOutcome Restore(const std::string& entry);
  RestoreOutcome RestoreFrom(const std::string& entry, const std::string& copyPath);
  // Takes a record of entry off the list with the others, as ForgetEntry does: a further
  // record of a path restored, or one whose copies are gone.
  void Forget(const std::string& entry);

  // Moves the entries whose latest copy is a link ahead of the others, each part in its own
  // order: a file found through a link to a folder then goes back through the link, to the
  // folder it leads to, rather than into a folder of the link's name that would keep the link
  // from coming back. A chain of links is restored whole before anything goes through it.
  // entryOf gives the entry of an item.
  template <class Item, class EntryOf>
  void PutLinksFirst(std::vector<Item>& items, const EntryOf& entryOf) const {
    // A store that never kept a link costs no look at all.
    if (!KeepsLinks()) return;
    std::stable_partition(items.begin(), items.end(),
                          [&](const Item& item) { return LatestCopyIsLink(entryOf(item)); });
  }
  void PutLinksFirst(std::vector<std::string_view>& entries) const {
    PutLinksFirst(entries, [](std::string_view entry) { return entry; });
  }

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
  bool KeepsLinks() const;
  bool LatestCopyIsLink(std::string_view entry) const;

  template <class RestoreOne>
  RestoreOutcome RestoreGrouped(const std::string& entry, const std::string& copy,
                                const RestoreOne& restore);

  std::string m_store;
  // The entry restored from each copy that has more names than a path's own copy and the
  // shared copy of its name: only those may be the copy of several paths.
  std::unordered_map<FileKey, std::string, FileKeyHash> m_restoredFrom;
  ListOnDisk& m_list;
  RestoreConversation& m_conversation;
  BatchEnd m_end;
};
