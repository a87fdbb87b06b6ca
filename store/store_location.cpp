// The backups folder's place for a portable or an installed copy, and its creation with the
// folders above it.
#include "store_location.h"

#include <cstring>
#include <string_view>

#include "framework/folder_paths.h"
#include "framework/path_parts.h"
#include "framework/platform_files.h"
#include "store/installed_store.h"

namespace {

constexpr std::string_view kBackupsFolder = "backups";

std::string FolderOf(const std::string& path) {
  std::string folder = path;
  RemoveFileSpec(folder.data());
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

std::error_code CreateWithParents(const std::string& folder) {
  std::error_code made = CreateFolder(folder.c_str());
  if (made == std::errc::no_such_file_or_directory) {
    const std::string parent = FolderOf(folder);
    if (parent.empty() || parent == folder) return made;
    std::error_code parentMade = CreateWithParents(parent);
    if (parentMade) return parentMade;
    made = CreateFolder(folder.c_str());
  }
  if (made == std::errc::file_exists) {
    return IsFolder(folder) ? std::error_code() : std::make_error_code(std::errc::not_a_directory);
  }
  return made;
}

}  // namespace

std::string BackupsFolderPath() {
  const std::string program = GetProgramPath();
  if (program.empty()) return std::string();
  const std::string programDir = FolderOf(program);
  const std::optional<std::string> installed = InstalledDataFolder(programDir);
  if (installed && installed->empty()) return std::string();
  const std::string folder = installed ? *installed : programDir + kPathSeparator;
  return folder + std::string(kBackupsFolder) + kPathSeparator;
}

std::error_code CreateBackupsFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  if (folder.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  return CreateWithParents(folder);
}
