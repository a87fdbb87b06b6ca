// Appending records to list.txt while other instances of the program may append to it or
// rewrite it at the same time.
#pragma once

#include <string_view>
#include <system_error>

#include "platform/file.h"
#include "platform/folder_handle.h"

// Opens list.txt for appending, reading and writing; with create a missing list is made
// empty. False when it cannot be opened (list stays closed).
bool OpenListForAppend(CFile& list, const char* listPath, bool create);

// Appends one record at the true end of the list while holding the store's lock, which
// store is the open backups folder of. When another instance has put a new list in the
// open one's place since it was opened (a rewrite), the new one is opened and written
// instead; a list that is gone is not made again, and list is then closed. A record that
// could not be written whole is taken back off the file, so the next one does not glue
// itself to it. On failure returns why.
std::error_code AppendRecord(CFile& list, const char* listPath, FolderHandle& store,
                             std::string_view record);
