// The folder checks before a clean.
#include "engine/clean_folder.h"

#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

std::error_code MakeCleanFolderAbsolute(std::string& directory) {
  return directory.empty() ? std::error_code() : MakeAbsolute(directory);
}

std::error_code CleanFolderSearchFailure(const std::string& directory) {
  const std::string searchPath = directory + kPathSeparator + "*.*";
  if (searchPath.size() >= kMaxPath) return std::make_error_code(std::errc::filename_too_long);
  DirectorySearch search;
  FindData data;
  return search.Start(searchPath.c_str(), data);
}

std::string CleanFolderShown(const std::string& directory) {
  return directory.empty() ? std::string(1, kPathSeparator) : directory;
}
