// CFile over a Win32 HANDLE: the framework's open-mode bits mapped onto CreateFile's access,
// sharing and creation arguments.
#include <algorithm>

#include "platform/file.h"
#include "platform/injected_failures.h"
#include "platform/long_paths_win32.h"
#include "platform/windows_system.h"

namespace {

HANDLE AsHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

DWORD AccessFor(unsigned flags) {
  if (flags & CFile::modeReadWrite) return GENERIC_READ | GENERIC_WRITE;
  if (flags & CFile::modeWrite) return GENERIC_WRITE;
  return GENERIC_READ;
}

// Without shareDenyNone nobody else may open the file while it is open here.
DWORD SharingFor(unsigned flags) {
  return (flags & CFile::shareDenyNone) ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                                        : 0;
}

DWORD CreationFor(unsigned flags) {
  if (!(flags & CFile::modeCreate)) return OPEN_EXISTING;
  return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
}

}  // namespace

CFile::~CFile() { Close(); }

bool CFile::Failed() const {
  m_lastError = std::error_code(static_cast<int>(::GetLastError()), std::system_category());
  return false;
}

bool CFile::NotOpen() const {
  m_lastError = std::make_error_code(std::errc::bad_file_descriptor);
  return false;
}

bool CFile::Open(const std::string& path, unsigned flags) {
  Close();
  HANDLE handle = CreateFileLong(path.c_str(), AccessFor(flags), SharingFor(flags),
                                 CreationFor(flags), FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) return Failed();
  // The program's files are plain files: a device (CON, NUL, a pipe) named where a file
  // belongs would read as empty or never end.
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return Failed();
  }
  m_lastError.clear();
  m_hFile = reinterpret_cast<FileHandle>(handle);
  m_path = path;
  m_append = (flags & modeAppend) != 0;
  return true;
}

void CFile::Close() {
  m_append = false;
  if (m_hFile == hFileNull) return;
  ::CloseHandle(AsHandle(m_hFile));
  m_hFile = hFileNull;
}

bool CFile::GetStatus(CFileStatus& status) const {
  FILE_STANDARD_INFO info;
  if (m_hFile == hFileNull) return NotOpen();
  if (!::GetFileInformationByHandleEx(AsHandle(m_hFile), FileStandardInfo, &info, sizeof info)) {
    return Failed();
  }
  m_lastError.clear();
  status.m_size = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
  // A file deleted while open (which its sharing of delete allowed) waits for its last
  // handle to go before its name does; where names go at once, it has no link left.
  status.m_named = !info.DeletePending && info.NumberOfLinks != 0;
  return true;
}

std::uint64_t CFile::GetLength() const {
  LARGE_INTEGER size;
  if (m_hFile == hFileNull || !::GetFileSizeEx(AsHandle(m_hFile), &size)) return 0;
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
  if (m_hFile == hFileNull) {
    NotOpen();
    return 0;
  }
  m_lastError.clear();
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  // Keep reading until count bytes or the end, so a caller asking for the whole file gets it.
  while (done < count) {
    if (std::error_code injected = InjectedFailure(FileCall::kRead, m_path)) {
      m_lastError = injected;
      break;
    }
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(m_hFile), out + done, chunk, &got, nullptr)) {
      Failed();
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool CFile::Write(const void* buffer, std::size_t count) {
  if (m_hFile == hFileNull) return NotOpen();
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    if (std::error_code injected = InjectedFailure(FileCall::kWrite, m_path)) {
      m_lastError = injected;
      return false;
    }
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD written = 0;
    // Both halves of the offset all ones: the system writes at the end the file has at that
    // moment, whoever else writes to it.
    OVERLAPPED atEnd{};
    atEnd.Offset = atEnd.OffsetHigh = 0xFFFFFFFF;
    if (!::WriteFile(AsHandle(m_hFile), in + done, chunk, &written, m_append ? &atEnd : nullptr)) {
      return Failed();
    }
    if (written == 0) {
      ::SetLastError(ERROR_DISK_FULL);
      return Failed();
    }
    done += written;
  }
  m_lastError.clear();
  return true;
}

std::int64_t CFile::SeekToEnd() {
  if (m_hFile == hFileNull) return -1;
  LARGE_INTEGER zero{};
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(AsHandle(m_hFile), zero, &position, FILE_END)) return -1;
  return position.QuadPart;
}

bool CFile::SetLength(std::uint64_t length) {
  if (m_hFile == hFileNull) return NotOpen();
  LARGE_INTEGER target;
  target.QuadPart = static_cast<LONGLONG>(length);
  if (!::SetFilePointerEx(AsHandle(m_hFile), target, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(AsHandle(m_hFile))) {
    return Failed();
  }
  m_lastError.clear();
  return true;
}
