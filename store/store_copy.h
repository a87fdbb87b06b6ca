// Copying one file into the store: its own copy below "paths" and the shared copy NAMEBACKUP,
// one file with two names where the file system has hard links, carrying its origin. A file
// whose contents stamp (ContentsStamp) equals the one its own copy was taken with is not
// copied again, and leaves the shared copy of its name as it is; one that changed replaces its own
// copy, which is kept first as a version of the path (versions.h), named by the time the clean that
// took it started, under the store's lock, so that of several instances copying the same path each
// keeps the copy it replaces. The origin and the shared name follow the own copy on a thread of
// their own; every one is given by the time the copier is gone. A symbolic link is kept as a
// link with the same target text (its own copy only: a link carries no origin, and must not
// take from older entries the shared copy of its name). A file met again under another of its
// names (a hard link) in the same clean gets, as its own copy, a further name of the first
// one's, so that a restore of both brings them back as one file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <system_error>
#include <vector>

#include "platform/entry_links.h"
#include "platform/file_key.h"
#include "platform/folder_handle.h"
#include "store/copy_folders.h"
#include "store/notes_ahead.h"
#include "store/seen_strings.h"
#include "store/shared_namer.h"

enum class StoreCopyResult {
  kOwnCopy,       // the path has its own copy (and will have the shared one, as far as it can)
  kSharedOnly,    // only the shared copy was made; error says why the own copy was not
  kSourceFailed,  // the file could not be read, or changed while each of two tries copied it
                  // (ChangedWhileCopied()): nothing was copied
  kStoreFailed,   // the store cannot be written (read-only, full): nothing was copied
};

struct StoreCopyOutcome {
  StoreCopyResult result;
  std::error_code error;
  // kOwnCopy without a copy: the file is as it was when its own copy was taken.
  bool unchanged = false;
};

// True for failures that say the store itself cannot take any more copies, rather than
// something about one file.
bool IsStoreWideFailure(std::error_code error);

// Makes the copies of the files of one clean in the store folder store (ending with a
// separator). Holds the folders it copies into below "paths" (copy_folders.h), since a walk
// copies folder by folder, and remembers roughly which folders it made and which names it has given shared copies, to
// guess which names are taken.
class StoreCopier {
 public:
  // walkTop: the folder the clean walks, when the copier serves one (the notes of earlier copies
  // are read ahead only within it); empty for a copy alone.
  explicit StoreCopier(std::string store, const std::string& walkTop = {});

  StoreCopyOutcome Copy(const char* source);
  // Copy with the notes of earlier copies read now, none read ahead: for a file copied alone,
  // or looked at again.
  StoreCopyOutcome CopyWithoutReadingAhead(const char* source);
  // Whether each folder whose notes, read ahead of the walk, let a file go without a copy since
  // the last call is still the folder they were read in. When one is not (put in another's
  // place meanwhile), the files let go since may have no copy there: the caller looks at them
  // again with CopyWithoutReadingAhead before it records them.
  bool NotesReadAheadHold();
  // The folders below "paths" it copied into, each once, ending with a separator.
  const std::vector<std::string>& WrittenFolders() const { return m_writtenFolders; }
  // The shared names that could not be given since the last call; with waitForAll, once
  // every name asked for so far has been given or has failed.
  std::vector<SharedNamer::Failure> TakeNamingFailures(bool waitForAll);

 private:
  // Makes the folder that will hold ownCopy; the error when it cannot be made. existed tells
  // whether it was there before this clean (an earlier clean most likely copied into it).
  std::error_code MakeFolderFor(const std::string& ownCopy, bool& existed);
  std::error_code OpenStoreFolder();
  // Remembers that a note read ahead in the folder copied into, identified by key when the
  // reader looked, let a file go without a copy.
  void TrustReadAhead(const std::optional<FileKey>& key);
  // LookAtEntry of source, by its name in the folder the walk is in.
  std::error_code LookAtSource(const char* source, EntryLook& look);
  // Keeps the file at own, when there is one, as a version of source's path, named by the
  // time its clean noted (by this clean's when it noted none).
  std::error_code KeepOwnCopy(const std::string& own, const char* source);
  // The own copy of a symbolic link: a link with the same target text, made again only when
  // the target or the link's own time differ from the copy's.
  StoreCopyOutcome CopyLink(const char* source, const EntryLook& look);
  // Makes own, the own copy of source, a further name of copied, the own copy of another name
  // of the same file, keeping what had the name as a version unless it was taken from the same
  // contents (stamp). Unchanged when own is that copy already.
  StoreCopyOutcome LinkToCopied(const char* source, const std::string& own,
                                const std::string& copied, const std::string& stamp);

  // Keeps the copy at own, when there is one, as a version of source's path and removes it:
  // the path's latest copy is now of the other kind (a link's below "links", a file's below
  // "paths").
  std::error_code RetireOwnCopy(const std::optional<std::string>& own, const char* source);

  std::string m_store;
  // The store has a folder of links' own copies: a file copied may replace one.
  bool m_linksKept;
  FolderHandle m_storeFolder;  // for the store's lock, opened when first needed
  // When this clean started: noted with each own copy it takes.
  std::int64_t m_takenAt;
  CopyFolders m_folders;
  CopyFolder* m_folder = nullptr;  // the one copied into last, held in m_folders
  std::vector<std::string> m_writtenFolders;
  // The folders below "paths" this clean made, those made above a sub-folder included: a
  // walk may visit a sub-folder before the files beside it.
  SeenStrings m_madeFolders;
  // The names this clean gave shared copies.
  SeenStrings m_seenNames;
  // The notes of the own copies in the folder below "paths" that the walk is in, when an
  // earlier clean copied into it, read ahead of the walk.
  NotesAhead m_notesAhead;
  bool m_readingAhead = true;
  // The folders, each with its identity as the reader found it, whose notes read ahead let a
  // file go without a copy since NotesReadAheadHold last looked.
  struct TrustedFolder {
    std::string path;
    std::optional<FileKey> key;
  };
  std::vector<TrustedFolder> m_trustedFolders;
  FolderLooks m_sourceLooks;  // of the folder the walk is in
  // The own copy of each file with several names that this clean has met, by the file's
  // identity: only such files, so the memory follows the hard links, not the tree.
  std::unordered_map<FileKey, std::string, FileKeyHash> m_copiedSources;
  // Declared last, so that it gives its waiting names while everything else is still there.
  SharedNamer m_sharedNames;
};
