// quillmar store: where the backups folder is, and how many entries and copies it holds.
#include <map>
#include <string>
#include <utility>

#include "cli/commands.h"
#include "cli/store_list.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/store_layout.h"
#include "store/versions.h"

namespace {

constexpr const char* kStoreUsage = "Usage: quillmar store\n";

constexpr const char* kStoreHelp =
    "\n"
    "Prints where this copy of Quillmar keeps its backups, how many entries its restoration\n"
    "list holds, and how many copies the folder holds: the shared copies (NAME + \"BACKUP\",\n"
    "one per file name), the paths' own copies below paths/ (those of links below links/)\n"
    "and their older versions below versions/; then the bytes each kind takes, and all of\n"
    "them together (a link's as none), a file with\n"
    "several names (a hard link) counted once.\n";

using FileKey = std::pair<std::uint64_t, std::uint64_t>;

struct Counts {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;                 // each file once
  std::map<FileKey, std::uint64_t> sizes;  // the files counted in bytes, and their sizes
  std::error_code failure;                 // the first folder that could not be read
};

// Counts the files below folder, however deep, that keep(name) accepts.
template <class Keep>
void CountFiles(const std::string& folder, bool recurse, Keep keep, Counts& counts) {
  DirectorySearch search;
  FindData data;
  const std::string pattern = folder + kPathSeparator + "*.*";
  if (const std::error_code failure = search.Start(pattern.c_str(), data)) {
    if (failure != std::errc::no_such_file_or_directory && !counts.failure) {
      counts.failure = failure;
    }
    return;
  }
  std::error_code ended;
  do {
    const std::string name = data.cFileName;
    if (IsFolderNotLink(data)) {
      if (recurse && name != "." && name != "..") {
        CountFiles(folder + kPathSeparator + name, recurse, keep, counts);
      }
    } else if (keep(name)) {
      ++counts.files;
      // A kept link's bytes are its target's text, not what it leads to.
      if ((data.dwFileAttributes & kLinkAttribute) != 0) continue;
      FileIdentity identity;
      const std::string path = folder + kPathSeparator + name;
      if (!IdentifyFile(path.c_str(), identity) &&
          counts.sizes.emplace(FileKey{identity.device, identity.index}, identity.size).second) {
        counts.bytes += identity.size;
      }
    }
  } while (search.Next(data, ended));
  if (ended && !counts.failure) counts.failure = ended;
}

}  // namespace

int RunStore(CliArgs args, const CliStreams& io) {
  for (const char* arg : args) {
    if (std::string_view(arg) == "--help") {
      Print(io.out, std::string(kStoreUsage) + kStoreHelp);
      return kExitDone;
    }
    return UsageError(io, "store", "unknown argument '" + std::string(arg) + "'", kStoreUsage);
  }
  StoreList list;
  const std::error_code listFailure = ReadStoreList(list);
  if (list.store.empty()) {
    PrintFailure(io, "no backups folder: neither XDG_DATA_HOME nor HOME is an absolute path", "");
    return kExitPartly;
  }
  std::string folder = list.store;
  folder.pop_back();
  Counts shared;
  CountFiles(
      folder, false,
      [](const std::string& name) {
        return name.ends_with(kCopySuffix) && !IsStoreTemporary(name);
      },
      shared);
  Counts own;
  CountFiles(
      folder + kPathSeparator + std::string(kMirrorFolderName), true,
      [](const std::string& name) { return !IsStoreTemporary(name); }, own);
  CountFiles(
      folder + kPathSeparator + std::string(kLinksFolderName), true,
      [](const std::string& name) { return name.ends_with(kLinkSuffix); }, own);

  Counts versions;
  CountFiles(
      folder + kPathSeparator + std::string(kVersionsFolderName), true,
      [](const std::string& name) { return ParseVersionFileName(name).has_value(); }, versions);
  // A file under two kinds (an own copy that is also its name's shared copy) counts once.
  std::map<FileKey, std::uint64_t> all = own.sizes;
  all.insert(shared.sizes.begin(), shared.sizes.end());
  all.insert(versions.sizes.begin(), versions.sizes.end());
  std::uint64_t allBytes = 0;
  for (const auto& [key, size] : all) allBytes += size;

  std::string text = "Store: " + list.store + (IsFolder(folder) ? "" : " (not made yet)") + "\n";
  text += "Entries: " + std::to_string(list.entries.size()) + "\n";
  text += "Shared copies: " + std::to_string(shared.files) + "\n";
  text += "Own copies: " + std::to_string(own.files) + "\n";
  text += "Versions: " + std::to_string(versions.files) + "\n";
  text += "Bytes: own copies " + std::to_string(own.bytes) + ", shared copies " +
          std::to_string(shared.bytes) + ", versions " + std::to_string(versions.bytes) +
          "; in all " + std::to_string(allBytes) + "\n";
  Print(io.out, text);
  bool complete = true;
  if (listFailure) {
    PrintFailure(io, "cannot read the restoration list", list.listPath, listFailure);
    complete = false;
  }
  for (const Counts* counts : {&shared, &own, &versions}) {
    if (counts->failure) {
      PrintFailure(io, "cannot read all of the backups folder", list.store, counts->failure);
      complete = false;
    }
  }
  return complete ? kExitDone : kExitPartly;
}
