// The backup store: the backups folder beside the executable, one copy per file name
// (name + "BACKUP"), and the restoration list list.txt, to which the engine only appends
// records of the form path + ";".
#pragma once

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/platform_files.h"
#include "store/unprotected_report.h"

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
// Copies g_szFilePath into the store, as its own copy below "paths" and as the shared copy
// at g_szBackupPath, both with its origin, and appends its record to list.txt under the
// store's lock, at the list's true end. A path whose copy could not be made is not recorded,
// nor copied when it holds ";", which the list cannot hold. Every failure goes to the clean
// reporter (clean_reporter.h) and into UnprotectedItems(). Returns true when the path got a
// copy of its own and its record was written; a path recorded with only the shared copy
// counts as not protected.
bool BackupCurrentFile();

// True once the store has shown, during the walk in hand, that it cannot be written at all
// (its folder, the list or the copies cannot be made): the walk stops, since every further
// file would fail alike. The reason has been reported once, naming the store's folder.
bool BackupStoreFailed();

// What the walk in hand, or the last one, could not protect, in the order met; the walk adds
// the folders it could not search and the paths too long to handle.
void ReportUnprotected(std::string path, std::string reason);
const std::vector<UnprotectedItem>& UnprotectedItems();
// The report file the last walk wrote those items to; empty when it wrote none.
const std::string& UnprotectedReportPath();

// Brackets one top-level walk. Within it the program folder is looked up once, since it
// cannot change while the walk runs, list.txt stays open, and leftovers of killed writers
// are cleared from the backups folder once. EndBackupRun writes the report of unprotected
// files (or removes the last one when there are none), flushes every copy, record and the
// report of the run to disk, once (a failed flush is reported), and closes list.txt, so no
// descriptor outlives the walk. top: the folder the walk was asked for.
void BeginBackupRun(const char* top);
void EndBackupRun();
