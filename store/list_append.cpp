// Appends to list.txt under the store's lock: one lock, one look at the file, one write, one
// unlock per record, so that each record costs four calls however many instances share it.
#include "store/list_append.h"

namespace {

// Shared: a restore must read and replace the list while a clean appends to it (the store's
// lock keeps their writes apart), and a record appended to a list replaced meanwhile goes to
// the new one, which AppendRecord finds by the name.
constexpr unsigned kAppendMode = CFile::modeReadWrite | CFile::modeNoTruncate |
                                 CFile::modeAppend | CFile::shareDenyNone;

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
    if (!OpenListForAppend(list, listPath, /*create=*/false) || !list.GetStatus(status)) {
      const std::error_code error = list.LastError();
      list.Close();
      return error;
    }
  }
  if (list.Write(record.data(), record.size())) return {};
  const std::error_code error = list.LastError();
  // Under the lock nobody else wrote, so the record began where the file ended before.
  list.SetLength(status.m_size);
  return error;
}
