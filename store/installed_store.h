// Whether the running copy is installed for the whole system, and then where its data folder
// is: an installed copy may not write beside its executable, a portable one keeps its backups
// there. One rule per platform.
#pragma once

#include <optional>
#include <string>

// For an executable in programDir (without a final separator): nothing when the copy is
// portable; for an installed copy its own folder in the user's data, ending with a
// separator, or an empty text when the platform gives it none.
std::optional<std::string> InstalledDataFolder(const std::string& programDir);
