// The backup store: the backups folder beside the executable, the backup filter, the
// all-or-nothing copy of each file and the append-only restoration list.
#include "backup_store.h"

#include <initializer_list>
#include <string_view>

#include "framework/message_box.h"
#include "framework/path_parts.h"

char g_szProgramDir[kMaxPath] = "";
char g_szBackupPath[kMaxPath] = "";
char g_szListPath[kMaxPath] = "";
char g_szFilePath[kMaxPath] = "";
std::string g_strFilter;
std::string g_strRecord;
CFile g_fileList;

namespace {

constexpr char kSeparator[] = {kPathSeparator, '\0'};
constexpr const char* kBackupsFolder = "backups";
constexpr const char* kListName = "list.txt";
constexpr const char* kBackupSuffix = "BACKUP";

// Only within a run may the program folder be reused from one folder to the next.
bool s_runActive = false;
bool s_programDirKnown = false;

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

}  // namespace

void BeginBackupRun() {
  s_runActive = true;
  s_programDirKnown = false;
}

void EndBackupRun() {
  s_runActive = false;
  s_programDirKnown = false;
  g_fileList.Close();
}

void PrepareBackupStore() {
  if (!s_programDirKnown) {
    LoadProgramDir();
    s_programDirKnown = s_runActive;
  }
  // An unknown program folder must not turn into the root's "/backups/".
  bool known = g_szProgramDir[0] != '\0';
  bool folderFits =
      known && Join(g_szBackupPath, {g_szProgramDir, kSeparator, kBackupsFolder, kSeparator});
  bool listFits = folderFits && Join(g_szListPath, {g_szBackupPath, kListName});
  if (!folderFits) g_szBackupPath[0] = '\0';
  if (!listFits) g_szListPath[0] = '\0';
  if (folderFits) CreateFolder(g_szBackupPath);
  if (!g_fileList.IsOpen()) {
    if (!listFits || !g_fileList.Open(g_szListPath, CFile::modeCreate | CFile::modeNoTruncate |
                                                        CFile::modeReadWrite)) {
      AfxMessageBox("Openning restoration list file failed.");
    }
  }
  if (!g_fileList.IsOpen()) AfxMessageBox("Failed to create backup list text file");
  g_strRecord.clear();
}

bool BuildBackupPath(const char* name) {
  if (g_szProgramDir[0] == '\0') {
    // No backups folder to copy into; the copy then fails and says so.
    g_szBackupPath[0] = '\0';
    return true;
  }
  return Join(g_szBackupPath,
              {g_szProgramDir, kSeparator, kBackupsFolder, kSeparator, name, kBackupSuffix});
}

bool PassesBackupFilter(const char* name) {
  if (g_strFilter.empty() || g_strFilter == "*.*") return true;
  return FindExtension(name) == FindExtension(g_strFilter);
}

bool BackupCurrentFile() {
  if (g_szBackupPath[0] == '\0' ||
      CopyFileReplacing(g_szFilePath, g_szBackupPath, /*failIfExists=*/false)) {
    // Recording the path anyway would point the list at a copy that is missing or that
    // belongs to another file of the same name.
    AfxMessageBox("CopyFile failed.");
    return false;
  }
  g_strRecord.assign(g_szFilePath);
  // The list has no escaping: a ";" inside a path would split its record into two bogus
  // entries, and restoring either would write to a path that was never backed up. The copy
  // is kept; only the record is refused, and said so.
  if (g_strRecord.find(';') != std::string::npos) {
    AfxMessageBox("Failed writting to backup text file");
    g_fileList.Close();
    return false;
  }
  if (!g_fileList.IsOpen() &&
      !g_fileList.Open(g_szListPath, CFile::modeNoTruncate | CFile::modeReadWrite)) {
    AfxMessageBox("Openning restoration list file failed.");
  }
  // Path and separator go out in one write, so a record is never left without its ";".
  bool written = false;
  std::int64_t end = g_fileList.SeekToEnd();
  if (end >= 0) {
    g_strRecord.push_back(';');
    written = g_fileList.Write(g_strRecord.data(), g_strRecord.size());
    g_strRecord.pop_back();
    // Take back a partial record, which would glue itself to the next one.
    if (!written) g_fileList.SetLength(static_cast<std::uint64_t>(end));
  }
  if (!written) AfxMessageBox("Failed writting to backup text file");
  g_fileList.Close();
  return written;
}
