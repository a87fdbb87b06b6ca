// The backup store: the backups folder beside the executable, the backup filter, the
// all-or-nothing copy of each file and the append-only restoration list.
#include "backup_store.h"

#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/clean_reporter.h"
#include "platform/file_copies.h"
#include "platform/folder_handle.h"
#include "platform/path_parts.h"
#include "store/list_append.h"
#include "store/list_records.h"
#include "store/store_copy.h"
#include "store/store_flush.h"
#include "store/store_layout.h"
#include "store/store_location.h"

char g_szProgramDir[kMaxPath] = "";
char g_szBackupPath[kMaxPath] = "";
char g_szListPath[kMaxPath] = "";
char g_szFilePath[kMaxPath] = "";
std::string g_strFilter;
std::string g_strRecord;
CFile g_fileList;

namespace {

// Only within a run may the program folder be reused from one folder to the next.
bool s_runActive = false;
bool s_programDirKnown = false;
// The backups folder, ending with a separator, as the last preparation found it.
std::string s_storeFolder;
// Held open for the length of a run: its lock guards every record, and it is what the run's
// flush goes through.
FolderHandle s_store;
bool s_storeWritten = false;
// Set once the store proved it cannot be written: the walk then stops rather than fail
// every file that follows.
bool s_storeFailed = false;
std::optional<StoreCopier> s_copier;
// The folder the run walks: the notes read ahead of it are read no further.
std::string s_walkTop;
std::vector<UnprotectedItem> s_unprotected;
std::string s_reportPath;
// Within a run, the records of files that needed no copy (their own copies are there already)
// wait here and go to list.txt together, under one lock and in one write, in the walk's order:
// before the record of a file that was copied, when they fill kWaitingBytes and when the run
// ends. A clean of an unchanged tree then costs a look
// at each file and little more. Killed outright, a clean loses at most these records, of
// files whose copies were made by an earlier clean.
constexpr std::size_t kWaitingBytes = 64 * 1024;
std::string s_waitingRecords;
std::vector<std::string> s_waitingPaths;

// Concatenates parts into destination; on overflow leaves it empty and returns false, so a
// cut path can never name some other file.
bool Join(char* destination, std::initializer_list<std::string_view> parts) {
  std::size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  if (length >= kMaxPath) {
    destination[0] = '\0';
    return false;
  }
  char* out = destination;
  for (std::string_view part : parts) {
    part.copy(out, part.size());
    out += part.size();
  }
  *out = '\0';
  return true;
}

void LoadProgramDir() {
  std::string program = GetProgramPath();
  if (!Join(g_szProgramDir, {program})) return;
  RemoveFileSpec(g_szProgramDir);
}

// Once per run, when the backups folder is first there: opens it for the lock and the flush,
// and clears away what writers killed before they finished left in it.
void OpenStore() {
  if (s_store.IsOpen() || g_szBackupPath[0] == '\0') return;
  if (s_store.Open(g_szBackupPath)) return;
  RemoveAbandonedTemporaries(g_szBackupPath, IsStoreTemporary);
}

// Said once per run, then the walk stops: with a store that cannot be written every further
// file would fail the same way.
void StoreCannotBeWritten(std::error_code why) {
  if (s_storeFailed) return;
  s_storeFailed = s_runActive;
  ReportCleanFailure(CleanFailure::kStoreNotWritable, s_storeFolder, why);
}

// The shared names the copier could not give since it was last asked: each file still has
// its own copy, but the copy of its name that older entries restore from is another file's.
void ReportNamingFailures(StoreCopier& copier, bool waitForAll) {
  for (const SharedNamer::Failure& failure : copier.TakeNamingFailures(waitForAll)) {
    ReportCleanFailure(CleanFailure::kSharedCopyNotNamed, failure.origin, failure.error);
  }
}

std::string SourceFailure(std::error_code error) {
  if (error == std::errc::no_such_file_or_directory) {
    return "the file vanished before it could be copied";
  }
  if (error == std::errc::operation_not_supported) {
    return "not a regular file (a FIFO, socket or device): passed over";
  }
  if (error == ChangedWhileCopied()) return ErrorText(error);
  return "the copy failed: " + ErrorText(error);
}

// Appends records (each ending with its ";") to list.txt; paths are the paths they record, each
// reported as not recorded when the append fails. False on failure.
bool Record(const std::string& records, const std::vector<std::string>& paths) {
  std::error_code failure;
  CleanFailure kind = CleanFailure::kListNotReopened;
  if (!g_fileList.IsOpen() && !OpenListForAppend(g_fileList, g_szListPath, /*create=*/false)) {
    failure = g_fileList.LastError();
  } else if ((failure = AppendRecord(g_fileList, g_szListPath, s_store, records))) {
    if (g_fileList.IsOpen()) kind = CleanFailure::kRecordNotWritten;
  }
  if (!failure) return true;
  ReportCleanFailure(kind, paths.front(), failure);
  for (const std::string& path : paths) {
    ReportUnprotected(path, "its path could not be recorded in list.txt: " + ErrorText(failure));
  }
  if (IsStoreWideFailure(failure)) StoreCannotBeWritten(failure);
  return false;
}

std::string NoOwnCopy(const char* path, std::error_code why) {
  std::string reason;
  if (why == std::errc::filename_too_long) {
    reason = "the path is too long for a copy of its own";
  } else if (why == std::errc::invalid_argument) {
    reason = "its path does not say where it lies (relative, or with . or .. parts)";
  } else {
    reason = "no copy of its own: " + ErrorText(why);
  }
  return reason + "; only the shared copy " + CopyNameFor(path) +
         " was kept, which the next file of that name replaces";
}

// Reports a copy that failed, and returns true for it.
bool CopyFailed(const char* path, const StoreCopyOutcome& copied) {
  switch (copied.result) {
    case StoreCopyResult::kSourceFailed:
      // Recording the path anyway would point the list at a copy that is missing or that
      // belongs to another file of the same name.
      ReportCleanFailure(CleanFailure::kSourceNotCopied, path, copied.error);
      ReportUnprotected(path, SourceFailure(copied.error));
      return true;
    case StoreCopyResult::kStoreFailed:
      ReportCleanFailure(CleanFailure::kStoreNotCopied, path, copied.error);
      ReportUnprotected(path, "the copy failed: " + ErrorText(copied.error));
      // Without a known store folder there is none to name; the preparation said so.
      if (!s_storeFolder.empty()) StoreCannotBeWritten(copied.error);
      return true;
    case StoreCopyResult::kSharedOnly:
    case StoreCopyResult::kOwnCopy:
      break;
  }
  return false;
}

// Looks again, with the notes read now, at the files waiting for their records: a folder of
// their copies was put in another's place after the notes that let them go without a copy were
// read ahead. A file keeps its record only with a copy.
void LookAgainAtWaiting() {
  std::string records;
  std::vector<std::string> paths;
  for (std::string& path : s_waitingPaths) {
    const StoreCopyOutcome copied = s_copier->CopyWithoutReadingAhead(path.c_str());
    if (CopyFailed(path.c_str(), copied)) continue;
    if (copied.result == StoreCopyResult::kSharedOnly) {
      ReportUnprotected(path, NoOwnCopy(path.c_str(), copied.error));
    }
    records += path;
    records += kRecordEnd;
    paths.push_back(std::move(path));
  }
  s_waitingRecords = std::move(records);
  s_waitingPaths = std::move(paths);
}

void RecordWaiting() {
  if (s_waitingRecords.empty()) return;
  if (s_copier && !s_copier->NotesReadAheadHold()) LookAgainAtWaiting();
  if (!s_waitingRecords.empty()) Record(s_waitingRecords, s_waitingPaths);
  s_waitingRecords.clear();
  s_waitingPaths.clear();
}

}  // namespace

void BeginBackupRun(const char* top) {
  s_runActive = true;
  s_walkTop = top;
  s_programDirKnown = false;
  s_storeWritten = false;
  s_storeFailed = false;
  s_copier.reset();
  s_unprotected.clear();
  s_reportPath.clear();
}

void EndBackupRun() {
  RecordWaiting();
  s_runActive = false;
  s_programDirKnown = false;
  g_fileList.Close();
  if (s_copier) ReportNamingFailures(*s_copier, /*waitForAll=*/true);
  const std::vector<std::string> writtenFolders =
      s_copier ? s_copier->WrittenFolders() : std::vector<std::string>();
  s_copier.reset();
  // Each clean replaces the report of the one before; a store that cannot be written keeps
  // the old one, and the window still names what this clean missed.
  if (s_store.IsOpen() && !s_storeFolder.empty() &&
      !WriteUnprotectedReport(s_storeFolder, s_unprotected) && !s_unprotected.empty()) {
    s_reportPath = ReportPathIn(s_storeFolder);
    s_storeWritten = true;
  }
  // Only once everything is on disk may the user take the originals as safe to delete.
  if (s_storeWritten && s_store.IsOpen()) {
    if (std::error_code error = FlushStore(s_store, writtenFolders)) {
      ReportCleanFailure(CleanFailure::kFlushFailed, s_storeFolder, error);
    }
  }
  s_store.Close();
  s_storeWritten = false;
}

void PrepareBackupStore() {
  if (!s_programDirKnown) {
    LoadProgramDir();
    s_storeFolder = g_szProgramDir[0] != '\0' ? BackupsFolderPath() : std::string();
    s_programDirKnown = s_runActive;
  }
  // An unknown program folder must not turn into the root's "/backups/".
  bool folderFits = !s_storeFolder.empty() && Join(g_szBackupPath, {s_storeFolder});
  bool listFits = folderFits && Join(g_szListPath, {g_szBackupPath, kListFileName});
  if (!folderFits) g_szBackupPath[0] = '\0';
  if (!listFits) g_szListPath[0] = '\0';
  std::error_code folderMade = std::make_error_code(std::errc::filename_too_long);
  if (folderFits) {
    // Within a run, once the store is open an earlier folder has made and tightened it.
    folderMade =
        s_runActive && s_store.IsOpen() ? std::error_code() : CreateBackupsFolder(g_szBackupPath);
    if (s_runActive) OpenStore();
  }
  if (!g_fileList.IsOpen()) {
    if (s_storeFolder.empty()) {
      // No store to write to (no program folder, or an installed copy with no absolute home
      // folder): every file would fail alike, so the walk stops after saying so once.
      ReportCleanFailure(CleanFailure::kListNotOpened, s_storeFolder,
                         std::make_error_code(std::errc::no_such_file_or_directory));
      s_storeFailed = s_runActive;
    } else if (!listFits || !OpenListForAppend(g_fileList, g_szListPath, /*create=*/true)) {
      const std::error_code listFailure = folderMade ? folderMade : g_fileList.LastError();
      ReportCleanFailure(CleanFailure::kListNotOpened, s_storeFolder, listFailure);
      StoreCannotBeWritten(listFailure);
    } else {
      RestrictToOwner(g_szListPath);
    }
  }
  if (s_runActive && !s_copier && folderFits) s_copier.emplace(g_szBackupPath, s_walkTop);
  g_strRecord.clear();
}

bool BuildBackupPath(const char* name) {
  if (g_szProgramDir[0] == '\0' || s_storeFolder.empty()) {
    // No backups folder to copy into; the copy then fails and says so.
    g_szBackupPath[0] = '\0';
    return true;
  }
  return Join(g_szBackupPath, {SharedCopyPathIn(s_storeFolder, name)});
}

bool PassesBackupFilter(const char* name) {
  if (g_strFilter.empty() || g_strFilter == "*.*") return true;
  return FindExtension(name) == FindExtension(g_strFilter);
}

bool BackupCurrentFile() {
  g_strRecord.assign(g_szFilePath);
  // The list has no escaping: a ";" inside a path would split its record into two bogus
  // entries, and restoring either would write to a path that was never backed up. Nothing
  // is copied, so no copy is left that no record leads to.
  if (!IsRecordable(g_strRecord)) {
    ReportCleanFailure(CleanFailure::kPathNotRecordable, g_szFilePath,
                       std::make_error_code(std::errc::invalid_argument));
    ReportUnprotected(g_szFilePath,
                      "its path holds \";\", which the restoration list cannot record: not "
                      "backed up");
    return false;
  }
  StoreCopyOutcome copied{StoreCopyResult::kStoreFailed,
                          std::make_error_code(std::errc::no_such_file_or_directory)};
  if (g_szBackupPath[0] != '\0') {
    std::optional<StoreCopier> single;
    // A copier of its own reads no notes ahead: it copies this file alone.
    copied = s_copier ? s_copier->Copy(g_szFilePath)
                      : single.emplace(s_storeFolder).CopyWithoutReadingAhead(g_szFilePath);
    StoreCopier& copier = s_copier ? *s_copier : *single;
    // Outside a run this copier is gone at once: its names are waited for here.
    ReportNamingFailures(copier, /*waitForAll=*/!s_copier);
  }
  if (CopyFailed(g_szFilePath, copied)) return false;
  s_storeWritten = true;
  if (copied.unchanged && s_runActive) {
    s_waitingRecords += g_strRecord;
    s_waitingRecords += kRecordEnd;
    s_waitingPaths.emplace_back(g_szFilePath);
    if (s_waitingRecords.size() >= kWaitingBytes) RecordWaiting();
    return true;
  }
  RecordWaiting();
  // Path and separator go out in one write, so a record is never left without its ";".
  g_strRecord.push_back(kRecordEnd);
  const bool recorded = Record(g_strRecord, {g_szFilePath});
  g_strRecord.pop_back();
  if (!recorded) return false;
  if (copied.result == StoreCopyResult::kSharedOnly) {
    // Recorded and restorable for now, but not kept safe from the next file of its name.
    ReportUnprotected(g_szFilePath, NoOwnCopy(g_szFilePath, copied.error));
    return false;
  }
  return true;
}

bool BackupStoreFailed() { return s_storeFailed; }

void ReportUnprotected(std::string path, std::string reason) {
  s_unprotected.push_back(UnprotectedItem{std::move(path), std::move(reason)});
}

const std::vector<UnprotectedItem>& UnprotectedItems() { return s_unprotected; }

const std::string& UnprotectedReportPath() { return s_reportPath; }
