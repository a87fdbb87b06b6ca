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
// backups folder when missing and opens list.txt when it is not open. Afterwards
// g_szBackupPath holds the backups folder path, ending with a separator.
void PrepareBackupStore();
// Builds the backup path of the file named name into g_szBackupPath. False when it would
// not fit in kMaxPath (nothing is then to be backed up).
bool BuildBackupPath(const char* name);
// True when the file named name is to be backed up under the current g_strFilter.
bool PassesBackupFilter(const char* name);
// Copies g_szFilePath to g_szBackupPath, with its origin, and appends its record to
// list.txt under the store's lock, at the list's true end. A path whose copy could not be
// made is not recorded, nor is a path holding ";", which the list cannot hold (its copy is
// kept, and the failed record is shown). Every failure is shown in a message box. Returns
// true when the copy was made and its record written.
bool BackupCurrentFile();

// Brackets one top-level walk. Within it the program folder is looked up once, since it
// cannot change while the walk runs, list.txt stays open, and leftovers of killed writers
// are cleared from the backups folder once. EndBackupRun flushes every copy and record of
// the run to disk, once (a failed flush is shown), and closes list.txt, so no descriptor
// outlives the walk.
void BeginBackupRun();
void EndBackupRun();
