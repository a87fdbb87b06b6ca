// Replacing and removing files that carry the read-only attribute, which copies keep: Windows
// refuses to move a file over a read-only one or to delete one. Internal to platform/.
#pragma once

#include <string>

#include "platform/windows_system.h"

// MoveFileExLong with MOVEFILE_REPLACE_EXISTING among flags, replacing a read-only file at to
// as well: its read-only attribute is taken off when the plain move is refused for it, and put
// back when the move still fails. A file with further names (hard links) loses the attribute
// under those too, since Windows keeps attributes per file.
BOOL MoveReplacingReadOnly(const std::string& from, const std::string& to, DWORD flags);
// DeleteFileLong, removing the name of a read-only file as well; its other names, if any,
// keep the attribute.
BOOL DeleteEvenReadOnly(const std::string& path);
