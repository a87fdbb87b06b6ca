// The checks before a clean, the same for every front end: the folder is made absolute and
// resolved, so that its records name the same files wherever the program runs later, and it
// must be one the walk can search.
#pragma once

#include <string>
#include <system_error>

// Puts a relative folder after the current one and resolves its "." and ".." parts, doubled
// and trailing separators (MakeAbsolute), so that every path below it says where it lies and
// gets a copy of its own. Empty stays empty: the walk then starts at the root folder. On
// failure returns why and leaves directory as it was.
std::error_code MakeCleanFolderAbsolute(std::string& directory);

// Why the walk could not search directory, found the way the walk itself starts there; an
// empty code when it can.
std::error_code CleanFolderSearchFailure(const std::string& directory);

// directory as a message names it: the root folder's separator when it is empty.
std::string CleanFolderShown(const std::string& directory);
