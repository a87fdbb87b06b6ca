// The installed copy on Linux: PREFIX/bin with PREFIX/share/quillmar/ beside it, its data
// under XDG_DATA_HOME (or ~/.local/share).
#include <cstdlib>
#include <filesystem>

#include "platform/path_parts.h"
#include "store/installed_store.h"

namespace {

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

}  // namespace

std::optional<std::string> InstalledDataFolder(const std::string& programDir) {
  if (FindFileName(programDir) != "bin") return std::nullopt;
  const std::string prefix = programDir.substr(0, programDir.size() - 3);
  std::error_code ignored;
  if (!std::filesystem::is_directory(prefix + "share/quillmar", ignored)) return std::nullopt;
  std::string folder = AbsoluteFolderVariable("XDG_DATA_HOME");
  if (folder.empty()) {
    const std::string home = AbsoluteFolderVariable("HOME");
    if (home.empty()) return std::string();
    folder = home + ".local/share/";
  }
  return folder + "quillmar/";
}
