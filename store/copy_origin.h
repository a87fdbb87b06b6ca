// A copy's origin: the path its contents were last taken from, kept with the copy itself so
// that the layout of the backups folder and the format of list.txt stay as they are. Files of
// the same name share one copy; the origin tells which of them the copy holds now.
#pragma once

#include <optional>
#include <string>
#include <system_error>

// Copies source to the copy at copyPath, replacing an older copy, and records source as its
// origin where the file system can hold it. Fails as CopyFileReplacing does.
std::error_code MakeCopyWithOrigin(const char* source, const char* copyPath);

// The origin recorded with the copy at copyPath, or nothing for a copy without one (made
// before origins were kept, or on a file system that cannot hold them).
std::optional<std::string> CopyOrigin(const char* copyPath);
