// Holding a finished copy that waits under a hidden name for its move into place, so that
// another instance's tidying (RemoveAbandonedTemporaries) takes it for a living writer's, as
// the lock its writer holds does on POSIX. Internal to platform/.
#pragma once

#include <string>

#include "platform/windows_system.h"

// Opens the file at path for reading, sharing reads, writes and deletion. An open for its
// attributes alone takes no part in the sharing checks; this one does, so the tidying's open,
// which shares nothing, fails for as long as the handle is open, while the holder's own move
// of the file still goes through. INVALID_HANDLE_VALUE on failure, with the reason in
// GetLastError().
HANDLE HoldPendingFile(const std::string& path);
