// The read-only attribute taken off only once the plain call is refused (a file without it
// costs nothing more), through a handle where the file's other names must keep it.
#include "platform/read_only_files_win32.h"

#include "platform/long_paths_win32.h"

namespace {

// Takes read-only off the file at path when it has it, after a refusal; returns the
// attributes to put back, or INVALID_FILE_ATTRIBUTES when there is nothing to retry.
DWORD ClearReadOnlyAfterRefusal(const std::string& path) {
  if (::GetLastError() != ERROR_ACCESS_DENIED) return INVALID_FILE_ATTRIBUTES;
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!SetFileAttributesLong(path, attributes & ~FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
  }
  return attributes;
}

// Puts the attributes back after a retry that failed, keeping the retry's error.
void PutBack(const std::string& path, DWORD attributes) {
  const DWORD error = ::GetLastError();
  SetFileAttributesLong(path, attributes);
  ::SetLastError(error);
}

}  // namespace

ReadOnlyLifted::ReadOnlyLifted(const std::string& path) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return;
  }
  m_file = CreateFileLong(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                          FILE_FLAG_OPEN_REPARSE_POINT);
  if (m_file == INVALID_HANDLE_VALUE) return;
  // Times left at zero stay as they are.
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!::SetFileInformationByHandle(m_file, FileBasicInfo, &basic, sizeof basic)) {
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    return;
  }
  m_attributes = attributes;
}

ReadOnlyLifted::~ReadOnlyLifted() {
  if (m_file == INVALID_HANDLE_VALUE) return;
  const DWORD error = ::GetLastError();
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = m_attributes;
  ::SetFileInformationByHandle(m_file, FileBasicInfo, &basic, sizeof basic);
  ::CloseHandle(m_file);
  ::SetLastError(error);
}

BOOL MoveReplacingReadOnly(const std::string& from, const std::string& to, DWORD flags) {
  if (MoveFileExLong(from, to, flags)) return TRUE;
  if (::GetLastError() != ERROR_ACCESS_DENIED) return FALSE;
  {
    ReadOnlyLifted lifted(to);
    if (!lifted.Lifted()) {
      ::SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (MoveFileExLong(from, to, flags)) return TRUE;
  }
  // A plain move may refuse a file that is open elsewhere, for its attributes alone.
  ::SetLastError(ERROR_ACCESS_DENIED);
  const DWORD attributes = ClearReadOnlyAfterRefusal(to);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  if (MoveFileExLong(from, to, flags)) return TRUE;
  PutBack(to, attributes);
  return FALSE;
}

BOOL DeleteEvenReadOnly(const std::string& path) {
  if (DeleteFileLong(path)) return TRUE;
  if (::GetLastError() != ERROR_ACCESS_DENIED) return FALSE;
  // Through one handle: the attribute off, the name marked to go when the handle closes, the
  // attribute back on, so that the file's other names keep it.
  const HANDLE file = CreateFileLong(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  FILE_BASIC_INFO basic{};
  FILE_DISPOSITION_INFO disposition{TRUE};
  BOOL deleted = FALSE;
  if (::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
      (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    const DWORD attributes = basic.FileAttributes;
    basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
      deleted =
          ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
      const DWORD error = ::GetLastError();
      basic.FileAttributes = attributes;
      ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
      ::SetLastError(error);
    }
  } else {
    ::SetLastError(ERROR_ACCESS_DENIED);
  }
  const DWORD error = ::GetLastError();
  ::CloseHandle(file);
  ::SetLastError(error);
  return deleted;
}
