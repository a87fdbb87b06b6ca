// The flush that ends every walk: the copies and records it made reach the disk once, at
// the end, rather than once per file.
#pragma once

#include <string>
#include <system_error>

#include "framework/folder_handle.h"

// Flushes the file system of the open backups folder store. On failure returns why.
std::error_code FlushStore(FolderHandle& store);

// Tests watch every flush through this: observer runs just before each one, with no
// argument. Null restores the plain flush.
void SetStoreFlushObserverForTesting(void (*observer)());
