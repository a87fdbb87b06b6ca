// FolderHandle over a POSIX descriptor of the folder: flock(2) for the lock, which is held by
// the open folder (not by the process, as fcntl locks are), so it works between the
// processes of any instances and is released when the holder dies; syncfs(2) for the flush.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/folder_handle.h"
#include "platform/injected_failures.h"

namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

}  // namespace

struct FolderHandle::Opened {
  Opened(int descriptor, std::string path) : fd(descriptor), folder(std::move(path)) {}
  ~Opened() { ::close(fd); }
  int fd;
  std::string folder;
};

FolderHandle::FolderHandle() = default;
FolderHandle::~FolderHandle() { Close(); }

std::error_code FolderHandle::Open(const char* path) {
  Close();
  if (std::error_code injected = InjectedFailure(FileCall::kOpen, path)) return injected;
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LastError();
  m_open = std::make_unique<Opened>(fd, path);
  return {};
}

void FolderHandle::Close() { m_open.reset(); }

std::error_code FolderHandle::Lock() {
  if (!m_open) return std::make_error_code(std::errc::bad_file_descriptor);
  while (::flock(m_open->fd, LOCK_EX) != 0) {
    if (errno != EINTR) return LastError();
  }
  return {};
}

void FolderHandle::Unlock() {
  if (m_open) ::flock(m_open->fd, LOCK_UN);
}

std::error_code FolderHandle::FlushFileSystem(const std::vector<std::string>& /*alsoFolders*/) {
  if (!m_open) return std::make_error_code(std::errc::bad_file_descriptor);
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, m_open->folder)) return injected;
  return ::syncfs(m_open->fd) == 0 ? std::error_code() : LastError();
}

std::error_code FlushFileSystemOf(const char* path) {
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, path)) return injected;
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    // A file the user may write but not read (mode 0200) still has a folder to go through.
    std::string folder(path);
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) {
    // Nothing to name the file system by: flush them all.
    ::sync();
    return {};
  }
  const std::error_code error = ::syncfs(fd) == 0 ? std::error_code() : LastError();
  ::close(fd);
  return error;
}
