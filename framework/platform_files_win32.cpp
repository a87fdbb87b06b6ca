// Platform file services over Win32: FindFirstFileA/FindNextFileA, GetModuleFileNameA,
// CreateDirectoryA, the all-or-nothing copy (CopyFileA to a temporary name, then MoveFileExA)
// and FormatMessageA for error texts.
#include <algorithm>
#include <cstring>

#include "path_parts.h"
#include "platform_files.h"
#include "windows_api.h"

namespace {

// The callers test one code by name (a destination that exists); the rest stay the
// platform's numbers, whose texts FormatMessageA gives.
std::error_code ErrorFrom(DWORD code) {
  if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
    return std::make_error_code(std::errc::file_exists);
  }
  return std::error_code(static_cast<int>(code), std::system_category());
}
std::error_code LastError() { return ErrorFrom(::GetLastError()); }
std::error_code Error(std::errc code) { return std::make_error_code(code); }

std::string& ProgramPathOverride() {
  static std::string path;
  return path;
}

// Closes a handle on every way out.
class HandleGuard {
 public:
  explicit HandleGuard(HANDLE handle) : m_handle(handle) {}
  ~HandleGuard() {
    if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
  }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

// Opens a folder (or a file) for its attributes only. Junctions and links to folders are
// followed, so a folder reached through one has its target's identity.
HANDLE OpenForIdentity(const char* path) {
  return ::CreateFileA(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::error_code IdentityOf(HANDLE handle, std::uint64_t& volume, std::uint64_t& index) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return LastError();
  volume = info.dwVolumeSerialNumber;
  index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {};
}

// The folder part of path, without its separator ("." for a bare name).
std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return ".";
  // "C:\" keeps its separator: "C:" alone means the drive's current folder.
  if (slash == 2 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, slash));
}

// A new, empty file beside path with a name of its own; the copy or rewrite goes there
// first. False when the folder is gone or full.
std::error_code TemporaryFileBeside(const char* path, std::string& temp) {
  char name[MAX_PATH];
  if (::GetTempFileNameA(FolderOf(path).c_str(), "qmr", 0, name) == 0) return LastError();
  temp = name;
  return {};
}

// Gives the finished temporary file the destination's name, on disk before the call returns.
std::error_code Publish(const std::string& temp, const char* destination, bool failIfExists) {
  DWORD flags = MOVEFILE_WRITE_THROUGH;
  if (!failIfExists) {
    flags |= MOVEFILE_REPLACE_EXISTING;
    // A read-only file cannot be replaced by a move; the user has agreed to replace it.
    const DWORD attributes = ::GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ::SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    }
  }
  if (!::MoveFileExA(temp.c_str(), destination, flags)) return LastError();
  return {};
}

}  // namespace

DirectorySearch::~DirectorySearch() { Close(); }

std::error_code DirectorySearch::Start(const char* searchPath, FindData& data) {
  Close();
  WIN32_FIND_DATAA found;
  HANDLE handle = ::FindFirstFileA(searchPath, &found);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND ? Error(std::errc::no_such_file_or_directory)
                                        : ErrorFrom(code);
  }
  m_handle = handle;
  m_pattern = searchPath;
  HandleGuard folder(OpenForIdentity(FolderOf(searchPath).c_str()));
  std::error_code error = folder.get() == INVALID_HANDLE_VALUE
                              ? LastError()
                              : IdentityOf(folder.get(), m_device, m_inode);
  if (error) {
    Close();
    return error;
  }
  data.dwFileAttributes = found.dwFileAttributes;
  std::memcpy(data.cFileName, found.cFileName, sizeof data.cFileName);
  return {};
}

bool DirectorySearch::Next(FindData& data, std::error_code& ended) {
  ended.clear();
  if (m_handle == nullptr) {
    ended = Error(std::errc::bad_file_descriptor);
    return false;
  }
  return Fill(data, ended);
}

bool DirectorySearch::Fill(FindData& data, std::error_code& ended) {
  WIN32_FIND_DATAA found;
  if (!::FindNextFileA(static_cast<HANDLE>(m_handle), &found)) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_NO_MORE_FILES) ended = ErrorFrom(code);
    return false;
  }
  data.dwFileAttributes = found.dwFileAttributes;
  std::memcpy(data.cFileName, found.cFileName, sizeof data.cFileName);
  return true;
}

bool DirectorySearch::OnPseudoFileSystem() const { return false; }

void DirectorySearch::Close() {
  if (m_handle != nullptr) ::FindClose(static_cast<HANDLE>(m_handle));
  m_handle = nullptr;
  m_device = 0;
  m_inode = 0;
}

std::error_code IdentifyFolder(const char* path, std::uint64_t& device, std::uint64_t& inode) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Error(std::errc::not_a_directory);
  HandleGuard folder(OpenForIdentity(path));
  if (folder.get() == INVALID_HANDLE_VALUE) return LastError();
  return IdentityOf(folder.get(), device, inode);
}

std::string GetProgramPath() {
  const std::string& testPath = ProgramPathOverride();
  if (!testPath.empty()) return testPath;
  char buffer[kMaxPath];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  // A full buffer means the path was cut.
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

void SetProgramPathForTesting(const std::string& executablePath) {
  ProgramPathOverride() = executablePath;
}

std::error_code CreateFolder(const char* path) {
  if (::CreateDirectoryA(path, nullptr)) return {};
  return LastError();
}

std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists) {
  const DWORD attributes = ::GetFileAttributesA(source);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Error(std::errc::is_a_directory);
  {
    // Devices (CON, NUL, COM1) and pipes are no files to copy.
    HandleGuard in(::CreateFileA(source, GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE) return LastError();
    if (::GetFileType(in.get()) != FILE_TYPE_DISK) {
      return Error(std::errc::operation_not_supported);
    }
  }
  if (failIfExists && ::GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES) {
    return Error(std::errc::file_exists);
  }
  std::string temp;
  if (std::error_code error = TemporaryFileBeside(destination, temp)) return error;
  // CopyFileA keeps the attributes and the modification time, as the POSIX copy keeps the
  // mode bits and the time.
  std::error_code error;
  if (!::CopyFileA(source, temp.c_str(), FALSE)) error = LastError();
  if (!error) {
    // A read-only copy could never be replaced by the next backup of the same name.
    const DWORD copied = ::GetFileAttributesA(temp.c_str());
    if (copied != INVALID_FILE_ATTRIBUTES && (copied & FILE_ATTRIBUTE_READONLY)) {
      ::SetFileAttributesA(temp.c_str(), copied & ~FILE_ATTRIBUTE_READONLY);
    }
    error = Publish(temp, destination, failIfExists);
  }
  if (error) ::DeleteFileA(temp.c_str());
  return error;
}

std::error_code WriteFileReplacing(const char* path, std::string_view contents) {
  // Refuse what could not be written in place either: a read-only file, a folder. The
  // attribute is looked at, not left to the open, which an administrator's rights (and Wine
  // run as root) let through.
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ErrorFrom(ERROR_ACCESS_DENIED);
  }
  {
    HandleGuard existing(::CreateFileA(path, GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing.get() == INVALID_HANDLE_VALUE) return LastError();
  }
  std::string temp;
  if (std::error_code error = TemporaryFileBeside(path, temp)) return error;
  std::error_code error;
  {
    HandleGuard out(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) error = LastError();
    for (std::size_t done = 0; !error && done < contents.size();) {
      const DWORD chunk =
          static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(out.get(), contents.data() + done, chunk, &written, nullptr)) {
        error = LastError();
      }
      done += written;
    }
    // On disk before the move, so the name never points at a half-written file.
    if (!error && !::FlushFileBuffers(out.get())) error = LastError();
  }
  if (!error &&
      !::MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
  }
  if (error) ::DeleteFileA(temp.c_str());
  return error;
}

std::string ErrorText(std::error_code code) {
  if (code.category() != std::system_category()) return code.message();
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code.value()), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0) return code.message();
  std::string result(text, length);
  ::LocalFree(text);
  return result;
}
