// Reading the store for the command line.
#include "cli/store_list.h"

#include <string_view>

#include "platform/file.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/link_copies.h"
#include "store/list_records.h"
#include "store/list_rewrite.h"
#include "store/store_layout.h"
#include "store/store_location.h"

std::error_code ReadStoreList(StoreList& list) {
  list.store = BackupsFolderPath();
  if (list.store.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  list.listPath = ListPathIn(list.store);
  if (!IsRegularFile(list.listPath)) return {};
  CFile file;
  if (!file.Open(list.listPath.c_str(), CFile::modeRead | CFile::shareDenyNone)) {
    return file.LastError();
  }
  const std::error_code unread = ReadListContents(file, list.contents);
  file.Close();
  if (unread) return unread;
  const ListContents parts = SplitListContents(list.contents);
  if (!parts.text.empty() && parts.text.find(kRecordEnd) == std::string::npos) {
    return std::make_error_code(std::errc::illegal_byte_sequence);
  }
  ForEachEntry(parts.text, [&](std::string_view entry) { list.entries.emplace_back(entry); });
  return {};
}

std::string TypedStorePath(const StoreList& list, const std::string& typed) {
  for (const std::string& entry : list.entries) {
    if (entry == typed) return entry;
  }
  std::string absolute = typed;
  if (MakeAbsolute(absolute)) return typed;
  return absolute;
}

bool HasCopy(const std::string& store, const std::string& entry) {
  const std::optional<std::string> own = OwnCopyPathIn(store, entry);
  return OwnLinkCopy(store, entry) || (own && IsRegularFile(*own)) ||
         IsRegularFile(SharedCopyPathIn(store, entry));
}

std::optional<std::string> UnderFolder(std::string folder) {
  if (MakeAbsolute(folder)) return std::nullopt;
  // A root alone has no parts below it, yet it says where it lies: the parts of a name in the
  // folder, less that name ("" for "/", the drive's letter for C:\).
  constexpr std::string_view kName = "name";
  std::optional<std::string> parts = PartsBelowRoot(folder + kPathSeparator + std::string(kName));
  if (!parts) return std::nullopt;
  parts->resize(parts->size() - kName.size());
  if (!parts->empty()) parts->pop_back();  // the separator before the name
  return parts;
}

bool LiesUnder(const std::string& entry, const std::string& folder) {
  const std::optional<std::string> parts = PartsBelowRoot(entry);
  if (!parts) return false;
  if (folder.empty()) return true;
  // IsSamePath, since Windows paths ignore case: C:\DATA is C:\data there.
  return parts->size() > folder.size() && (*parts)[folder.size()] == kPathSeparator &&
         IsSamePath(std::string_view(*parts).substr(0, folder.size()), folder);
}
