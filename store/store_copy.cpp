// The two copies of one file in the store, and what their failures mean for the clean.
#include "store/store_copy.h"

#include <cerrno>
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

std::error_code StoreCopier::MakeFolderFor(const std::string& ownCopy) {
  std::string folder(ownCopy);
  folder.resize(ownCopy.size() - FindFileName(ownCopy).size() - 1);
  if (folder == m_madeFolder) return {};
  if (std::error_code error = CreatePrivateFolders(folder)) return error;
  m_madeFolder = std::move(folder);
  return {};
}

StoreCopyOutcome StoreCopier::Copy(const char* source) {
  std::vector<std::string> names;
  std::error_code noOwnCopy;
  if (std::optional<std::string> own = OwnCopyPathIn(m_store, source); !own) {
    noOwnCopy = std::make_error_code(std::errc::invalid_argument);
  } else if (own->size() >= kMaxPath) {
    noOwnCopy = std::make_error_code(std::errc::filename_too_long);
  } else if ((noOwnCopy = MakeFolderFor(*own))) {
    if (IsStoreWideFailure(noOwnCopy)) return {StoreCopyResult::kStoreFailed, noOwnCopy};
  } else {
    names.push_back(std::move(*own));
  }
  names.push_back(SharedCopyPathIn(m_store, source));
  const FileNote origin = OriginNoteOf(source);
  const NamedCopyResult copied = CopyFileToNames(source, m_store, names, &origin);
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
