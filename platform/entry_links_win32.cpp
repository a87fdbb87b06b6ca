// Entry looks over Win32. Symbolic links and junctions are followed here as everywhere else in
// the Windows program: an entry is what its target is, and no link is made.
#include <optional>

#include "platform/entry_links.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

std::error_code LookAtEntry(const char* path, EntryLook& look) {
  FileIdentity identity;
  if (std::error_code error = IdentifyFile(path, identity)) return error;
  look.kind = IsRegularFile(path) ? EntryKind::kRegular
              : IsFolder(path)    ? EntryKind::kFolder
                                  : EntryKind::kOther;
  look.device = identity.device;
  look.index = identity.index;
  look.links = identity.links;
  look.modifiedSeconds = 0;
  look.modifiedNanoseconds = 0;
  const std::optional<std::string> stamp =
      look.kind == EntryKind::kRegular ? ContentsStamp(path) : std::nullopt;
  look.stamp = stamp ? *stamp : std::string();
  return {};
}

struct FolderLooks::Held {};

FolderLooks::FolderLooks() = default;
FolderLooks::~FolderLooks() = default;

void FolderLooks::Use(std::string_view folder) { m_folder.assign(folder); }

std::error_code FolderLooks::Look(const char* name, EntryLook& look) {
  return LookAtEntry((m_folder + kPathSeparator + name).c_str(), look);
}

bool LinkOnTheWay(const std::string&, std::size_t) { return false; }

std::error_code ReadLinkTarget(const char*, std::string&) {
  return std::make_error_code(std::errc::operation_not_supported);
}

std::error_code MakeLink(const std::string&, const std::string&, const std::string&, bool,
                         std::int64_t, std::int64_t) {
  return std::make_error_code(std::errc::operation_not_supported);
}
