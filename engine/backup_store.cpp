// The backup store: the backups folder beside the executable, the backup filter, the
// all-or-nothing copy of each file and the append-only restoration list.
#include "backup_store.h"

#include <initializer_list>
#include <string_view>

#include "framework/folder_handle.h"
#include "framework/message_box.h"
#include "framework/path_parts.h"
#include "store/copy_origin.h"
#include "store/list_append.h"
#include "store/list_records.h"
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

}  // namespace

void BeginBackupRun() {
  s_runActive = true;
  s_programDirKnown = false;
  s_storeWritten = false;
}

void EndBackupRun() {
  s_runActive = false;
  s_programDirKnown = false;
  g_fileList.Close();
  // Only once everything is on disk may the user take the originals as safe to delete.
  if (s_storeWritten && s_store.IsOpen()) {
    if (std::error_code error = FlushStore(s_store)) {
      AfxMessageBox("Writing the backups to disk failed: " + ErrorText(error));
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
  if (folderFits) {
    CreateBackupsFolder(g_szBackupPath);
    if (s_runActive) OpenStore();
  }
  if (!g_fileList.IsOpen()) {
    if (!listFits || !OpenListForAppend(g_fileList, g_szListPath, /*create=*/true)) {
      AfxMessageBox("Openning restoration list file failed.");
    }
  }
  if (!g_fileList.IsOpen()) AfxMessageBox("Failed to create backup list text file");
  g_strRecord.clear();
}

bool BuildBackupPath(const char* name) {
  if (g_szProgramDir[0] == '\0' || s_storeFolder.empty()) {
    // No backups folder to copy into; the copy then fails and says so.
    g_szBackupPath[0] = '\0';
    return true;
  }
  return Join(g_szBackupPath, {s_storeFolder, name, kCopySuffix});
}

bool PassesBackupFilter(const char* name) {
  if (g_strFilter.empty() || g_strFilter == "*.*") return true;
  return FindExtension(name) == FindExtension(g_strFilter);
}

bool BackupCurrentFile() {
  if (g_szBackupPath[0] == '\0' || MakeCopyWithOrigin(g_szFilePath, g_szBackupPath)) {
    // Recording the path anyway would point the list at a copy that is missing or that
    // belongs to another file of the same name.
    AfxMessageBox("CopyFile failed.");
    return false;
  }
  s_storeWritten = true;
  g_strRecord.assign(g_szFilePath);
  // The list has no escaping: a ";" inside a path would split its record into two bogus
  // entries, and restoring either would write to a path that was never backed up. The copy
  // is kept; only the record is refused, and said so.
  if (!IsRecordable(g_strRecord)) {
    AfxMessageBox("Failed writting to backup text file");
    return false;
  }
  if (!g_fileList.IsOpen() && !OpenListForAppend(g_fileList, g_szListPath, /*create=*/false)) {
    AfxMessageBox("Openning restoration list file failed.");
    AfxMessageBox("Failed writting to backup text file");
    return false;
  }
  // Path and separator go out in one write, so a record is never left without its ";".
  g_strRecord.push_back(kRecordEnd);
  const bool written = !AppendRecord(g_fileList, g_szListPath, s_store, g_strRecord);
  g_strRecord.pop_back();
  if (!written && !g_fileList.IsOpen()) AfxMessageBox("Openning restoration list file failed.");
  if (!written) AfxMessageBox("Failed writting to backup text file");
  return written;
}
