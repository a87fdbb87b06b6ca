// The backup store: the backups folder beside the executable, one copy per file name
// (name + "BACKUP"), and the restoration list list.txt, to which the engine only appends
// records of the form path + ";".
#pragma once

#include <string>

#include "framework/file.h"
#include "framework/platform_files.h"

// Process-wide state shared by the walk and the backup step.
extern char g_szProgramDir[kMaxPath];
extern char g_szBackupPath[kMaxPath];
extern char g_szListPath[kMaxPath];
extern char g_szFilePath[kMaxPath];
extern std::string g_strFilter;  // the Files box's text, written by the main dialog
extern std::string g_strRecord;
extern CFile g_fileList;

// Run at the start of every folder the walk visits: builds the folder paths, creates the
// backups folder when missing and opens list.txt when it is not open.
void PrepareBackupStore();
// Builds the backup path of the file named name into g_szBackupPath. False when it would
// not fit in kMaxPath (nothing is then to be backed up).
bool BuildBackupPath(const char* name);
// True when the file named name is to be backed up under the current g_strFilter.
bool PassesBackupFilter(const char* name);
// Copies g_szFilePath to g_szBackupPath and appends its record to list.txt.
void BackupCurrentFile();
