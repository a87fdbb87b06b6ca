// Copying one file into the store: its own copy below "paths" and the shared copy NAMEBACKUP,
// one file with two names where the file system has hard links, each carrying its origin.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include <system_error>

enum class StoreCopyResult {
  kOwnCopy,     // the path has its own copy (and the shared one, as far as it could be made)
  kSharedOnly,  // only the shared copy was made; error says why the own copy was not
  kSourceFailed,  // the file could not be read: nothing was copied
  kStoreFailed,   // the store cannot be written (read-only, full): nothing was copied
};

struct StoreCopyOutcome {
  StoreCopyResult result;
  std::error_code error;
};

// True for failures that say the store itself cannot take any more copies, rather than
// something about one file.
bool IsStoreWideFailure(std::error_code error);

// Makes the copies of the files of one clean in the store folder store (ending with a
// separator). Remembers the last folder it made below "paths", since a walk copies folder by
// folder, and roughly which names it has given shared copies, to guess which names are taken.
class StoreCopier {
 public:
  explicit StoreCopier(std::string store);

  StoreCopyOutcome Copy(const char* source);
  // The folders below "paths" it copied into, each once, ending with a separator.
  const std::vector<std::string>& WrittenFolders() const { return m_writtenFolders; }

 private:
  // Makes the folder that will hold ownCopy; the error when it cannot be made. existed tells
  // whether it was there before this clean made it (an earlier clean copied into it).
  std::error_code MakeFolderFor(const std::string& ownCopy, bool& existed);
  // True when a file of this name may have been copied before in this clean (never false
  // for one that was).
  bool SeenBefore(std::string_view name);

  std::string m_store;
  std::string m_madeFolder;
  bool m_madeFolderExisted = false;
  std::vector<std::string> m_writtenFolders;
  // A fixed set of bits, one hash each: the memory of a clean stays flat whatever the tree.
  std::vector<std::uint64_t> m_seenNames;
};
