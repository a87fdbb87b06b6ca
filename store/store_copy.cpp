// The two copies of one file in the store, and what their failures mean for the clean.
#include "store/store_copy.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

#include "framework/file_copies.h"
#include "framework/path_parts.h"
#include "framework/platform_files.h"
#include "store/copy_origin.h"
#include "store/private_folders.h"
#include "store/store_layout.h"

namespace {

#if defined(EDQUOT)
const std::error_code kQuotaExceeded(EDQUOT, std::generic_category());
#else
const std::error_code kQuotaExceeded = std::make_error_code(std::errc::no_space_on_device);
#endif

}  // namespace

bool IsStoreWideFailure(std::error_code error) {
  return error == std::errc::no_space_on_device || error == kQuotaExceeded ||
         error == std::errc::read_only_file_system || error == std::errc::permission_denied ||
         error == std::errc::operation_not_permitted || error == std::errc::io_error;
}

StoreCopier::StoreCopier(std::string store)
    : m_store(std::move(store)), m_seenNames(std::size_t{1} << 14) {}

bool StoreCopier::SeenBefore(std::string_view name) {
  const std::size_t bit = std::hash<std::string_view>()(name) % (m_seenNames.size() * 64);
  std::uint64_t& word = m_seenNames[bit / 64];
  const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
  const bool seen = (word & mask) != 0;
  word |= mask;
  return seen;
}

std::error_code StoreCopier::MakeFolderFor(const std::string& ownCopy, bool& existed) {
  std::string folder(ownCopy);
  folder.resize(ownCopy.size() - FindFileName(ownCopy).size() - 1);
  if (folder != m_madeFolder) {
    if (std::error_code error = CreatePrivateFolders(folder, &m_madeFolderExisted)) return error;
    m_writtenFolders.push_back(folder + kPathSeparator);
    m_madeFolder = std::move(folder);
  }
  existed = m_madeFolderExisted;
  return {};
}

StoreCopyOutcome StoreCopier::Copy(const char* source) {
  std::vector<std::string> names;
  std::vector<bool> likelyTaken;
  std::error_code noOwnCopy;
  bool folderExisted = false;
  if (std::optional<std::string> own = OwnCopyPathIn(m_store, source); !own) {
    noOwnCopy = std::make_error_code(std::errc::invalid_argument);
  } else if (own->size() >= kMaxPath) {
    noOwnCopy = std::make_error_code(std::errc::filename_too_long);
  } else if ((noOwnCopy = MakeFolderFor(*own, folderExisted))) {
    if (IsStoreWideFailure(noOwnCopy)) return {StoreCopyResult::kStoreFailed, noOwnCopy};
  } else {
    names.push_back(std::move(*own));
    // A folder an earlier clean copied into most likely holds this path's earlier copy.
    likelyTaken.push_back(folderExisted);
  }
  names.push_back(SharedCopyPathIn(m_store, source));
  likelyTaken.push_back(folderExisted || SeenBefore(FindFileName(source)));
  const FileNote origin = OriginNoteOf(source);
  const NamedCopyResult copied = CopyFileToNames(source, m_store, names, &origin, &likelyTaken);
  if (copied.source) return {StoreCopyResult::kSourceFailed, copied.source};
  if (copied.write) return {StoreCopyResult::kStoreFailed, copied.write};
  const bool hasOwnName = names.size() == 2;
  const std::error_code shared = copied.names.back();
  if (hasOwnName && !copied.names.front()) return {StoreCopyResult::kOwnCopy, {}};
  if (hasOwnName) noOwnCopy = copied.names.front();
  if (shared) {
    const std::error_code why = hasOwnName ? noOwnCopy : shared;
    return {IsStoreWideFailure(why) ? StoreCopyResult::kStoreFailed : StoreCopyResult::kSourceFailed,
            why};
  }
  if (IsStoreWideFailure(noOwnCopy)) return {StoreCopyResult::kStoreFailed, noOwnCopy};
  return {StoreCopyResult::kSharedOnly, noOwnCopy};
}
