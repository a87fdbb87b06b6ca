// Making the store's folders, and those above them, private to the user.
#include "store/private_folders.h"

#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

std::error_code CreatePrivateFolders(const std::string& folder, std::vector<std::string>* made) {
  std::error_code result = CreatePrivateFolder(folder.c_str());
  if (result == std::errc::no_such_file_or_directory) {
    const std::string parent = FolderPart(folder);
    if (parent.empty() || parent == folder) return result;
    if (std::error_code parentMade = CreatePrivateFolders(parent, made)) return parentMade;
    result = CreatePrivateFolder(folder.c_str());
  }
  if (result == std::errc::file_exists) {
    return IsFolder(folder) ? std::error_code() : std::make_error_code(std::errc::not_a_directory);
  }
  if (!result && made != nullptr) made->push_back(folder);
  return result;
}
