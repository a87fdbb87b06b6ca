// What the names in the backup store are: list.txt, and one copy per file name, named
// name + "BACKUP" (where the store itself lives: store_location.h).
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kListFileName = "list.txt";
inline constexpr std::string_view kCopySuffix = "BACKUP";

// The name, within the backups folder, of the copy of a recorded path: its file-name part
// followed by "BACKUP". Files of the same name share it.
std::string CopyNameFor(std::string_view recordedPath);

// True for a name in the backups folder that is neither a copy nor the list: a hidden
// leftover of a copy or a rewrite that a killed process never finished.
bool IsStoreTemporary(std::string_view name);
