// The backups folder's place for a portable or an installed copy, and its creation with the
// folders above it.
#include "store_location.h"

#include <string_view>

#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/installed_store.h"
#include "store/private_folders.h"

namespace {

constexpr std::string_view kBackupsFolder = "backups";

}  // namespace

std::string BackupsFolderPath() {
  const std::string program = GetProgramPath();
  if (program.empty()) return std::string();
  const std::string programDir = FolderPart(program);
  const std::optional<std::string> installed = InstalledDataFolder(programDir);
  if (installed && installed->empty()) return std::string();
  const std::string folder = installed ? *installed : programDir + kPathSeparator;
  return folder + std::string(kBackupsFolder) + kPathSeparator;
}

std::error_code CreateBackupsFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  if (folder.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (std::error_code made = CreatePrivateFolders(folder)) return made;
  // Best effort: a store that another user owns cannot be tightened, but may still be used.
  RestrictToOwner(folder.c_str());
  return {};
}
