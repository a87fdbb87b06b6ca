// Where the backup store lives and what its names are: the backups folder beside the
// executable, list.txt in it, and one copy per file name, named name + "BACKUP".
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kListFileName = "list.txt";
inline constexpr std::string_view kCopySuffix = "BACKUP";

// The backups folder of the running program, ending with a separator; empty when the
// program's own path is unknown (a store at the root's "/backups/" would be nobody's).
std::string StoreFolderPath();

// The name, within the backups folder, of the copy of a recorded path: its file-name part
// followed by "BACKUP". Files of the same name share it.
std::string CopyNameFor(std::string_view recordedPath);

// True for a name in the backups folder that is neither a copy nor the list: a hidden
// leftover of a copy or a rewrite that a killed process never finished.
bool IsStoreTemporary(std::string_view name);
