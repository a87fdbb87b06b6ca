// Appends to list.txt under the store's lock: one lock, one look at the file, one write, one
// unlock per record, so the guarantee costs what the old open, seek, write and close did.
#include "store/list_append.h"

#include <cerrno>

namespace {

constexpr unsigned kAppendMode = CFile::modeReadWrite | CFile::modeNoTruncate | CFile::modeAppend;

std::error_code LastError(std::errc otherwise) {
  return errno != 0 ? std::error_code(errno, std::generic_category())
                    : std::make_error_code(otherwise);
}

}  // namespace

bool OpenListForAppend(CFile& list, const char* listPath, bool create) {
  return list.Open(listPath, kAppendMode | (create ? CFile::modeCreate : 0u));
}

std::error_code AppendRecord(CFile& list, const char* listPath, FolderHandle& store,
                             std::string_view record) {
  FolderLockScope lock(store);
  if (lock.error()) return lock.error();
  CFileStatus status;
  if (!list.GetStatus(status) || !status.m_named) {
    errno = 0;
    if (!OpenListForAppend(list, listPath, /*create=*/false) || !list.GetStatus(status)) {
      list.Close();
      return LastError(std::errc::io_error);
    }
  }
  errno = 0;
  if (list.Write(record.data(), record.size())) return {};
  const std::error_code error = LastError(std::errc::io_error);
  // Under the lock nobody else wrote, so the record began where the file ended before.
  list.SetLength(status.m_size);
  return error;
}
