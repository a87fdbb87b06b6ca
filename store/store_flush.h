// The flush that ends every walk: the copies and records it made reach the disk once, at
// the end, rather than once per file.
#pragma once

#include <string>
#include <vector>
#include <system_error>

#include "platform/folder_handle.h"

// Flushes the file system of the open backups folder store, with the folders below it that the
// walk wrote copies into (full paths ending with a separator; only platforms that cannot flush
// a whole file system look at them). On failure returns why.
std::error_code FlushStore(FolderHandle& store, const std::vector<std::string>& writtenFolders);

// Tests watch every flush through this: observer runs just before each one, with no
// argument. Null restores the plain flush.
void SetStoreFlushObserverForTesting(void (*observer)());
