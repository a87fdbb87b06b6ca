// The backups folder's place for a portable or an installed copy, and its creation with the
// folders above it.
#include "store_location.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "framework/path_parts.h"
#include "framework/platform_files.h"

namespace {

constexpr std::string_view kBackupsFolder = "backups/";

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

std::string FolderOf(const std::string& path) {
  std::string folder = path;
  RemoveFileSpec(folder.data());
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

// An installed copy's prefix has the program's own data folder beside its bin folder.
bool IsInstalled(const std::string& programDir) {
  if (FindFileName(programDir) != "bin") return false;
  const std::string prefix = programDir.substr(0, programDir.size() - 3);
  return IsFolder(prefix + "share/quillmar");
}

// The variable's value as a folder ending with one separator; empty unless it is absolute (a
// relative one would move the store with the working folder).
std::string AbsoluteFolderVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != kPathSeparator) return std::string();
  std::string folder = value;
  while (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
  folder.push_back(kPathSeparator);
  return folder;
}

std::string UserDataFolder() {
  const std::string dataHome = AbsoluteFolderVariable("XDG_DATA_HOME");
  if (!dataHome.empty()) return dataHome;
  const std::string home = AbsoluteFolderVariable("HOME");
  if (home.empty()) return std::string();
  return home + ".local/share/";
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
  if (!IsInstalled(programDir)) {
    return programDir + kPathSeparator + std::string(kBackupsFolder);
  }
  const std::string dataFolder = UserDataFolder();
  if (dataFolder.empty()) return std::string();
  return dataFolder + "quillmar/" + std::string(kBackupsFolder);
}

std::error_code CreateBackupsFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  if (folder.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  return CreateWithParents(folder);
}
