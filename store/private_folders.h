// Folders of the store that only their owner may open: the store holds copies of files that
// other users may have had no way to read where they were.
#pragma once

#include <string>
#include <system_error>
#include <vector>

// Makes folder and whichever folders above it are missing, each private to the user. Returns
// an empty code when the folder is there afterwards, whether made now or before; otherwise
// the failure of the first folder that could not be made (std::errc::not_a_directory when
// something else holds one of the names).
// made, when given, receives each folder this call made, the topmost first: empty when the
// folder was there before.
std::error_code CreatePrivateFolders(const std::string& folder,
                                     std::vector<std::string>* made = nullptr);
