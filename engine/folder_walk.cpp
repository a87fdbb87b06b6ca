// WalkFolder: depth-first walk in the platform's order. Every path is built whole or not at
// all; the backups folder, folders already walked and folders on pseudo file systems are
// never entered, and the list file is closed when the outermost call returns.
#include "folder_walk.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "backup_store.h"
#include "platform/entry_links.h"
#include "platform/path_parts.h"
#include "store/store_location.h"

namespace {

constexpr std::uint32_t kMaxCapacity = 2147483647u;
constexpr char kSeparator[] = {kPathSeparator, '\0'};

struct FolderId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FolderId&) const = default;
};

struct FolderIdHash {
  std::size_t operator()(const FolderId& id) const {
    return std::hash<std::uint64_t>()(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
  }
};

// Bookkeeping of the top-level walk in hand, shared by its recursive calls.
struct WalkRun {
  int depth = 0;
  std::vector<FolderId> path;  // the folders from the top down to the one being walked
  // Every folder entered by this run. Entering each folder once keeps a walk linear in the
  // size of the tree: links that fan out to the same folders would otherwise multiply it.
  std::unordered_set<FolderId, FolderIdHash> walked;
  bool backupsKnown = false;
  FolderId backups;
  WalkProgress progress;
  WalkProgressObserver observer = nullptr;
  void* observerContext = nullptr;
};

WalkRun& Run() {
  static WalkRun run;
  return run;
}

// Opens the run at the outermost call and closes it, list file included, on every way out.
class RunScope {
 public:
  explicit RunScope(const char* top) {
    WalkRun& run = Run();
    if (run.depth++ == 0) {
      BeginBackupRun(top);
      run.path.clear();
      run.walked.clear();
      run.backupsKnown = false;
      run.progress = WalkProgress();
    }
  }
  ~RunScope() {
    WalkRun& run = Run();
    if (--run.depth == 0) {
      EndBackupRun();
      run.path.clear();
      run.walked.clear();
    }
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
};

// Keeps a folder on the walk's path while its call runs.
class PathEntry {
 public:
  explicit PathEntry(FolderId id) { Run().path.push_back(id); }
  ~PathEntry() { Run().path.pop_back(); }
  PathEntry(const PathEntry&) = delete;
  PathEntry& operator=(const PathEntry&) = delete;
};

// One level's buffers live on the heap: with PATH_MAX-sized paths a deep tree would
// otherwise exhaust the stack long before it exhausted the path length.
struct WalkLevel {
  char szSearch[kMaxPath];
  char szNewPath[kMaxPath];
  FindData wfd;
  DirectorySearch search;
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void RememberBackupsFolder(WalkRun& run, const char* backups) {
  run.backupsKnown =
      backups[0] != '\0' && !IdentifyFolder(backups, run.backups.device, run.backups.inode);
}

bool PassOver(const WalkRun& run, FolderId id) {
  if (run.backupsKnown && id == run.backups) return true;
  return run.walked.count(id) != 0;
}

// False when the observer asks the walk to stop.
bool ReportProgress(const WalkRun& run) {
  return run.observer == nullptr || run.observer(run.progress, run.observerContext);
}

// The copy itself, after the checks that differ: a copy that does not fit keeps what fits,
// always terminated, and says so.
std::int32_t CopyWithin(char* destination, std::size_t capacity, const char* source) {
  if (capacity == 0) return E_INVALIDARG;
  while (capacity != 0 && *source != '\0') {
    *destination++ = *source++;
    --capacity;
  }
  std::int32_t result = S_OK;
  if (capacity == 0) {
    --destination;
    result = STRSAFE_E_INSUFFICIENT_BUFFER;
  }
  *destination = '\0';
  return result;
}

}  // namespace

std::int32_t CopyBounded(char* destination, std::size_t capacity, const char* source) {
  if (capacity > kMaxCapacity) return E_INVALIDARG;
  return CopyWithin(destination, capacity, source);
}

std::int32_t AppendBounded(char* destination, std::size_t capacity, const char* source) {
  if (capacity > kMaxCapacity) return E_INVALIDARG;
  std::size_t cchDestCurrent = 0;
  while (cchDestCurrent < capacity && destination[cchDestCurrent] != '\0') ++cchDestCurrent;
  if (cchDestCurrent == capacity) return E_INVALIDARG;
  return CopyWithin(destination + cchDestCurrent, capacity - cchDestCurrent, source);
}

std::int32_t PrintFoundPath(const char* path, const FindData* /*data*/, std::int32_t /*userData*/) {
  std::printf("%s\n", path);
  return 1;
}

void SetWalkProgressObserver(WalkProgressObserver observer, void* context) {
  Run().observer = observer;
  Run().observerContext = context;
}

std::int32_t WalkFolder(const char* directory, const char* pattern, WalkCallback callback,
                        std::int32_t userData, std::int32_t flags) {
  if (directory == nullptr || pattern == nullptr || callback == nullptr) return WALK_BAD_ARGUMENT;
  RunScope scope(directory);
  WalkRun& run = Run();
  bool outermost = run.depth == 1;

  auto level = std::make_unique_for_overwrite<WalkLevel>();
  if (CopyBounded(level->szSearch, kMaxPath, directory) != S_OK ||
      AppendBounded(level->szSearch, kMaxPath, kSeparator) != S_OK ||
      AppendBounded(level->szSearch, kMaxPath, "*.*") != S_OK) {
    if (!outermost) ReportUnprotected(directory, "the folder's path is too long to be walked");
    return WALK_SEARCH_FAILED;
  }
  FindData& wfd = level->wfd;
  if (const std::error_code failed = level->search.Start(level->szSearch, wfd)) {
    // The top folder's failure is its caller's to tell; below it, nobody else would.
    if (!outermost && failed != std::errc::no_such_file_or_directory) {
      ReportUnprotected(directory, "the folder cannot be searched: " + ErrorText(failed));
    }
    return WALK_SEARCH_FAILED;
  }
  FolderId self{level->search.Device(), level->search.Inode()};
  // A folder reached again through a link, or the store's own folder, is not entered: the
  // first would never end, the second would back up its own copies.
  if (!outermost && PassOver(run, self)) return WALK_DONE;
  // Pseudo file systems hold no user data, and some of their trees never end. Only a change
  // of device can lead onto one, so the file system is looked at only then.
  bool newDevice = run.path.empty() || run.path.back().device != self.device;
  if (newDevice && level->search.OnPseudoFileSystem()) return WALK_DONE;
  run.walked.insert(self);
  PathEntry onPath(self);

  const bool preview = (flags & WALK_PREVIEW) != 0;
  if (!preview) {
    PrepareBackupStore();
    if (BackupStoreFailed()) return WALK_STOPPED;
  }
  if (outermost) {
    // Only now does the backups folder surely exist (a preview leaves a missing one missing:
    // then there is nothing of it to pass over); walking it itself visits nothing.
    RememberBackupsFolder(run, preview ? BackupsFolderPath().c_str() : g_szBackupPath);
    if (run.backupsKnown && self == run.backups) return WALK_DONE;
  }

  const std::size_t dirLength = std::strlen(directory);
  std::int32_t result = WALK_DONE;
  // Backs up one entry as a file is backed up: a file, or a link to a folder, which is kept as
  // the link it is (its folder is still walked, or not, as any folder). The callback runs for
  // files only, since a link to a folder gets the folder's call. True when the walk is to stop.
  auto backUpEntry = [&](const char* name, bool fileCallback) {
    std::size_t nameLength = std::strlen(name);
    // A path that does not fit is skipped whole: a cut one could name another file.
    if (dirLength + 1 + nameLength >= kMaxPath || !BuildBackupPath(name)) {
      ++run.progress.filesVisited;
      if (PassesBackupFilter(name)) {
        ReportUnprotected(std::string(directory) + kPathSeparator + name,
                          "the path is too long to be backed up");
        ++run.progress.filesFailed;
      }
      return false;
    }
    std::memcpy(g_szFilePath, directory, dirLength);
    g_szFilePath[dirLength] = kPathSeparator;
    std::memcpy(g_szFilePath + dirLength + 1, name, nameLength + 1);
    ++run.progress.filesVisited;
    bool stop = false;
    if (preview) {
      if (PassesBackupFilter(name)) {
        ++run.progress.filesBackedUp;
        stop = callback(g_szFilePath, &wfd, userData) == 0;
      }
    } else {
      if (PassesBackupFilter(name)) {
        ++(BackupCurrentFile() ? run.progress.filesBackedUp : run.progress.filesFailed);
      }
      stop = fileCallback && MatchesWildcard(g_szFilePath, pattern) &&
             callback(g_szFilePath, &wfd, userData) == 0;
    }
    run.progress.folder = directory;
    return !ReportProgress(run) || BackupStoreFailed() || stop;
  };
  for (;;) {
    const char* name = wfd.cFileName;
    if ((wfd.dwFileAttributes & kFolderAttribute) == 0) {
      if ((flags & WALK_FILES) && backUpEntry(name, /*fileCallback=*/true)) {
        result = WALK_STOPPED;
        break;
      }
    } else if (!IsDotOrDotDot(name)) {
      if (kLinksKeptAsLinks && (wfd.dwFileAttributes & kLinkAttribute) != 0 &&
          (flags & WALK_FILES) && backUpEntry(name, /*fileCallback=*/false)) {
        result = WALK_STOPPED;
        break;
      }
      char* szNewPath = level->szNewPath;
      if (CopyBounded(szNewPath, kMaxPath, directory) != S_OK ||
          AppendBounded(szNewPath, kMaxPath, kSeparator) != S_OK ||
          AppendBounded(szNewPath, kMaxPath, name) != S_OK ||
          AppendBounded(szNewPath, kMaxPath, kSeparator) != S_OK) {
        ReportUnprotected(std::string(directory) + kPathSeparator + name + kPathSeparator,
                          "the folder's path is too long to be walked");
        result = WALK_SEARCH_FAILED;
      } else {
        if ((flags & WALK_FOLDERS) && !preview && MatchesWildcard(szNewPath, pattern) &&
            callback(szNewPath, &wfd, userData) == 0) {
          result = WALK_STOPPED;
          break;
        }
        if ((flags & WALK_NO_RECURSE) == 0) {
          result = WalkFolder(szNewPath, pattern, callback, userData, flags);
          if (result == WALK_STOPPED) break;
        }
      }
    }
    std::error_code ended;
    if (!level->search.Next(wfd, ended)) {
      if (ended) {
        ReportUnprotected(directory, "reading the folder failed part way: " + ErrorText(ended));
        result = WALK_SEARCH_FAILED;
      }
      break;
    }
  }
  return result;
}
