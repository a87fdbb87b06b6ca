// The installed copy on Windows: there is none to tell apart. A Windows user runs the
// executable from wherever it was put, and its backups stay beside it.
#include "store/installed_store.h"

std::optional<std::string> InstalledDataFolder(const std::string& /*programDir*/) {
  return std::nullopt;
}
