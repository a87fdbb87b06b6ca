// WalkFolder: the depth-first walk of a directory tree that backs up every file passing the
// backup filter and calls a callback for every path matching a wildcard pattern.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform_files.h"

inline constexpr std::int32_t WALK_FILES = 1;
inline constexpr std::int32_t WALK_FOLDERS = 2;
inline constexpr std::int32_t WALK_NO_RECURSE = 4;
// A preview: the same walk and filter, but nothing is backed up and the store is not touched
// (not even made). The callback is called for each file that would be backed up, and only
// for those, whatever the pattern; they count as backed up in the progress.
inline constexpr std::int32_t WALK_PREVIEW = 8;

inline constexpr std::int32_t WALK_DONE = 0;
inline constexpr std::int32_t WALK_SEARCH_FAILED = -1;
inline constexpr std::int32_t WALK_STOPPED = -2;
inline constexpr std::int32_t WALK_BAD_ARGUMENT = -3;

// Returns nonzero to go on, 0 to stop the whole walk. path and data are valid only during
// the call.
using WalkCallback = std::int32_t (*)(const char* path, const FindData* data,
                                      std::int32_t userData);

// Walks directory (used unchanged: a sub-folder path ends with kPathSeparator, so paths below
// the top carry a doubled separator). Returns WALK_BAD_ARGUMENT for a null argument (nothing else
// happens), WALK_SEARCH_FAILED when the folder cannot be searched (the store is then not
// prepared), WALK_STOPPED once the callback answered 0, and otherwise the result of the last
// sub-folder walk, or WALK_DONE when there was none.
// A path that would not fit kMaxPath is never cut: such a file is neither backed up nor
// handed to the callback, and such a sub-folder is skipped with WALK_SEARCH_FAILED as its
// result. A sub-folder that is the backups folder, a folder this walk has already entered
// (reached again through a link), or a folder on a pseudo file system (proc, sysfs, devtmpfs
// and the like; see DirectorySearch::OnPseudoFileSystem) still gets its callback but is not
// entered; walking the backups folder, or a top folder on a pseudo file system, visits
// nothing. Each folder is thus entered at most once per walk, which bounds the walk by the
// size of the tree whatever links it holds. A symbolic link is backed up as the link it is
// (where kLinksKeptAsLinks): a link to a file, a dangling one and one to a folder alike, each
// by its own name through the backup filter; a link to a folder is then entered, or not, as
// any folder, and only the folder's callback is called for it. list.txt is closed when the outermost call
// returns.
std::int32_t WalkFolder(const char* directory, const char* pattern, WalkCallback callback,
                        std::int32_t userData, std::int32_t flags);

// The callback of the main dialog: prints the path and a line feed, returns 1.
std::int32_t PrintFoundPath(const char* path, const FindData* data, std::int32_t userData);

// HRESULT-style results of the bounded string operations.
inline constexpr std::int32_t S_OK = 0;
inline constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t STRSAFE_E_INSUFFICIENT_BUFFER = static_cast<std::int32_t>(0x8007007A);

std::int32_t CopyBounded(char* destination, std::size_t capacity, const char* source);
std::int32_t AppendBounded(char* destination, std::size_t capacity, const char* source);

// Progress of the walk in hand, for a user interface that shows it. The observer is called
// after every file the walk handles; it must not start another walk. It returns false to
// stop the walk after that file, which then ends with WALK_STOPPED as when the callback
// answers 0.
struct WalkProgress {
  std::uint64_t filesVisited = 0;
  std::uint64_t filesBackedUp = 0;  // got a copy of its own and a record
  std::uint64_t filesFailed = 0;  // passed the filter, but got no copy of its own or no record
  // The folder of the file just handled, as the walk spells it (doubled separators below the
  // top folder); it lives only as long as the observer's call.
  std::string_view folder = {};
};
using WalkProgressObserver = bool (*)(const WalkProgress& progress, void* context);
// Null removes the observer. Counts restart at every top-level walk.
void SetWalkProgressObserver(WalkProgressObserver observer, void* context);
