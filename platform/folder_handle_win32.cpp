// FolderHandle over Win32: LockFileEx on a lock file inside the folder, since a folder's own
// handle cannot carry a byte-range lock; FlushFileBuffers on the volume where the user may
// open it, and otherwise on the folder and on the files of it changed since it was opened.
#include <algorithm>
#include <string>

#include "platform/folder_handle.h"
#include "platform/injected_failures.h"
#include "platform/long_paths_win32.h"
#include "platform/path_parts.h"
#include "platform/windows_system.h"

namespace {

// The lock file: an ordinary name, not hidden, so nothing that tidies away hidden
// temporaries ever takes it from a waiting holder.
constexpr char kLockFileName[] = "list.lock";

// A file's times are not exact on every file system (two seconds on FAT): a file changed
// just before Open is flushed too rather than missed.
constexpr ULONGLONG kTimeSlack = 2ull * 10'000'000ull;

std::error_code LastError() {
  return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

ULONGLONG AsNumber(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

ULONGLONG Now() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return AsNumber(now);
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

// Writes one file's (or folder's) buffers to the disk. Opening for writing is what
// FlushFileBuffers needs; sharing everything keeps out of the way of other instances.
std::error_code FlushPath(const std::string& path, bool folder) {
  HANDLE handle = CreateFileLong(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  const std::error_code error = ::FlushFileBuffers(handle) ? std::error_code() : LastError();
  ::CloseHandle(handle);
  return error;
}

// The whole volume that holds path, as syncfs does on Linux; needs an administrator.
bool FlushVolumeOf(const std::string& path) {
  char root[MAX_PATH];
  if (!::GetVolumePathNameA(path.c_str(), root, sizeof root)) return false;
  std::string volume(root);
  // "C:\" names the volume as "\\.\C:".
  if (volume.size() != 3 || volume[1] != ':') return false;
  const std::string device = std::string("\\\\.\\") + volume.substr(0, 2);
  HANDLE handle = ::CreateFileA(device.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool flushed = ::FlushFileBuffers(handle) != FALSE;
  ::CloseHandle(handle);
  return flushed;
}

// The folder's files whose contents or name may still be only in memory: those created or
// written since the moment given. A copy keeps its original's modification time but is created
// anew.
std::error_code FlushChangedFiles(const std::string& folder, ULONGLONG since) {
  // The wide search, for folders of any length and names of any script; the times are read
  // from the search itself.
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(WidePath(folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return LastError();
  std::error_code first;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const ULONGLONG changed =
        std::max(AsNumber(found.ftCreationTime), AsNumber(found.ftLastWriteTime));
    if (changed + kTimeSlack < since) continue;
    const std::error_code error = FlushPath(folder + NarrowText(found.cFileName), /*folder=*/false);
    // A file another instance is still writing, or has just removed, is that instance's to
    // flush; only a failure on a file that is there and free counts.
    if (error && !first && error.value() != ERROR_SHARING_VIOLATION &&
        error.value() != ERROR_FILE_NOT_FOUND) {
      first = error;
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return first;
}

}  // namespace

struct FolderHandle::Opened {
  Opened(HANDLE lockFile, std::string folderPath)
      : lock(lockFile), folder(std::move(folderPath)), openedAt(Now()) {}
  ~Opened() { ::CloseHandle(lock); }
  HANDLE lock;
  std::string folder;  // ends with a separator
  ULONGLONG openedAt;
};

FolderHandle::FolderHandle() = default;
FolderHandle::~FolderHandle() { Close(); }

std::error_code FolderHandle::Open(const char* path) {
  Close();
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::make_error_code(std::errc::not_a_directory);
  }
  std::string folder = WithSeparator(path);
  // Every instance opens the same file and none removes it: a lock on a file that another
  // holder had already replaced would keep nobody out.
  HANDLE lock =
      CreateFileLong((folder + kLockFileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (lock == INVALID_HANDLE_VALUE) return LastError();
  m_open = std::make_unique<Opened>(lock, std::move(folder));
  return {};
}

void FolderHandle::Close() { m_open.reset(); }

std::error_code FolderHandle::Lock() {
  if (!m_open) return std::make_error_code(std::errc::bad_file_descriptor);
  // The lock is on the handle, so a second FolderHandle of this process waits like another
  // process does; the system releases it when the holder dies.
  OVERLAPPED at{};
  if (!::LockFileEx(m_open->lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) return LastError();
  return {};
}

void FolderHandle::Unlock() {
  if (!m_open) return;
  OVERLAPPED at{};
  ::UnlockFileEx(m_open->lock, 0, 1, 0, &at);
}

std::error_code FolderHandle::FlushFileSystem(const std::vector<std::string>& alsoFolders) {
  if (!m_open) return std::make_error_code(std::errc::bad_file_descriptor);
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, m_open->folder)) return injected;
  if (FlushVolumeOf(m_open->folder)) return {};
  std::error_code first;
  const auto flushFolder = [&](const std::string& folder) {
    const std::error_code files = FlushChangedFiles(folder, m_open->openedAt);
    // The folder's own entries: the names the copies took.
    const std::error_code names = FlushPath(folder, /*folder=*/true);
    if (!first) first = files ? files : names;
  };
  flushFolder(m_open->folder);
  for (const std::string& folder : alsoFolders) flushFolder(folder);
  return first;
}

std::error_code FlushFileSystemOf(const char* path) {
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, path)) return injected;
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (FlushVolumeOf(path)) return {};
  if (std::error_code error = FlushPath(path, folder)) return error;
  if (folder) return {};
  // The file's name lives in its folder.
  std::string parent(path);
  const std::size_t slash = parent.rfind(kPathSeparator);
  if (slash == std::string::npos) return FlushPath(".", /*folder=*/true);
  parent.resize(slash == 2 && parent[1] == ':' ? 3 : slash);
  return FlushPath(parent, /*folder=*/true);
}
