// The all-or-nothing file of the POSIX services: written without a name (or under a hidden
// locked one in the work folder), then linked or renamed into place.
#include "platform/pending_file_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "platform/hidden_names.h"
#include "platform/injected_failures.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

namespace {

std::error_code Error(std::errc code) { return std::make_error_code(code); }

// Repeats one in-kernel copy call (it returns bytes copied, 0 at the end, -1 on failure)
// until the size the file had when opened is copied or the file ends. Returns false, with
// error empty, when the call reports one of the "not here" codes, so the next method takes
// over from where this one stopped.
template <class Call>
bool CopyInKernel(Call call, off_t& remaining, std::error_code& error,
                  std::initializer_list<int> unsupported) {
  for (;;) {
    ssize_t n = call();
    if (n > 0) {
      remaining -= n;
      if (remaining <= 0) return true;
      continue;
    }
    if (n == 0) return true;
    if (errno == EINTR) continue;
    for (int code : unsupported) {
      if (errno == code) return false;
    }
    error = LastPosixError();
    return true;
  }
}

// The process's file-creation mask, read once: the program never changes it.
mode_t CreationMask() {
  static const mode_t mask = [] {
    mode_t current = ::umask(0);
    ::umask(current);
    return current;
  }();
  return mask;
}

std::error_code RenameInto(const char* temp, const char* destination, bool failIfExists) {
  if (std::error_code injected = InjectedFailure(FileCall::kRename, destination)) return injected;
  if (!failIfExists) {
    if (::rename(temp, destination) != 0) return LastPosixError();
    return {};
  }
  if (::renameat2(AT_FDCWD, temp, AT_FDCWD, destination, RENAME_NOREPLACE) == 0) return {};
  if (errno == EEXIST) return Error(std::errc::file_exists);
  if (errno != EINVAL && errno != ENOSYS) return LastPosixError();
  // File systems without RENAME_NOREPLACE: a hard link cannot replace either.
  if (::link(temp, destination) != 0) {
    return errno == EEXIST ? Error(std::errc::file_exists) : LastPosixError();
  }
  ::unlink(temp);
  return {};
}

}  // namespace

std::error_code LastPosixError() { return std::error_code(errno, std::generic_category()); }

void FdGuard::Reset(int fd) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = fd;
}

std::error_code CopyContents(int in, int out, off_t sizeHint) {
  off_t remaining = sizeHint;
  std::error_code error;
  if (std::error_code injected = InjectedFailure(FileCall::kRead, "")) return injected;
  if (std::error_code injected = InjectedFailure(FileCall::kWrite, "")) return injected;
  if (sizeHint > 0) {
    auto copyFileRange = [&] { return ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0); };
    if (CopyInKernel(copyFileRange, remaining, error, {EXDEV, ENOSYS, EINVAL, EOPNOTSUPP})) {
      return error;
    }
    auto sendFile = [&] { return ::sendfile(out, in, nullptr, 1 << 30); };
    if (CopyInKernel(sendFile, remaining, error, {EINVAL, ENOSYS})) return error;
  }
  // Files whose size says nothing (empty or synthetic) and file systems without the calls
  // above: plain reads until the end.
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastPosixError();
    }
    if (n == 0) return {};
    ssize_t done = 0;
    while (done < n) {
      ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return LastPosixError();
      }
      done += w;
    }
  }
}

std::string FolderOf(std::string_view path) {
  std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string_view NameOf(std::string_view path) {
  std::size_t slash = path.rfind(kPathSeparator);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsNoHardLinks(std::error_code error) {
  return error == std::errc::operation_not_permitted ||
         error == std::errc::cross_device_link || error == std::errc::too_many_links ||
         error == std::errc::operation_not_supported;
}

PendingFile::~PendingFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_name.empty()) ::unlink(m_name.c_str());
}

std::error_code PendingFile::Create(std::string_view nameHint, mode_t mode) {
  m_hint.assign(nameHint);
  const std::error_code injected = InjectedFailure(FileCall::kCreateNameless, m_workFolder);
  if (injected && injected != std::errc::operation_not_supported) return injected;
  if (!injected) {
    m_fd = ::open(m_workFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (m_fd >= 0) {
      // Only bits the creation mask took away need setting again.
      if ((mode & CreationMask()) != 0 && ::fchmod(m_fd, mode) != 0) return LastPosixError();
      return {};
    }
    if (errno != EOPNOTSUPP && errno != EISDIR) return LastPosixError();
  }
  return CreateNamed(nameHint, mode);
}

std::error_code PendingFile::CreateNamed(std::string_view nameHint, mode_t mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(m_workFolder, nameHint, temp)) return Error(std::errc::filename_too_long);
    m_fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_fd < 0) {
      if (errno == EEXIST) continue;
      return LastPosixError();
    }
    m_name = std::move(temp);
    struct stat opened, named;
    if (::flock(m_fd, LOCK_EX) != 0 || ::fstat(m_fd, &opened) != 0) return LastPosixError();
    // Until the lock was held, another instance tidying the folder could take the new name
    // for a dead writer's leftover and remove it (another file may have it by now): the file
    // is then given up for a new one.
    if (::stat(m_name.c_str(), &named) != 0 || named.st_dev != opened.st_dev ||
        named.st_ino != opened.st_ino) {
      ::close(m_fd);
      m_fd = -1;
      m_name.clear();
      continue;
    }
    m_locked = true;
    if (::fchmod(m_fd, mode) != 0) return LastPosixError();
    return {};
  }
  return Error(std::errc::file_exists);
}

std::error_code PendingFile::Publish(const char* destination, bool failIfExists,
                                     bool likelyTaken) {
  if (!m_name.empty()) {
    std::error_code error = RenameInto(m_name.c_str(), destination, failIfExists);
    if (!error) {
      m_name.clear();
      m_named = true;
    }
    return error;
  }
  if (!failIfExists && likelyTaken) return LinkReplacing(destination);
  std::error_code error = LinkAs(destination);
  if (!error) m_named = true;
  if (!error || failIfExists || error != std::errc::file_exists) return error;
  return LinkReplacing(destination);
}

std::error_code PendingFile::LinkReplacing(const char* destination) {
  // A name cannot be linked over another, so the file takes a hidden name first and is
  // renamed over the old one. While that hidden name is its only one, it is locked, so that
  // another instance tidying the folder meanwhile does not take it for a dead writer's
  // leftover: once unlinked, a file that had no other name can never be linked again.
  if (!m_named && !m_locked) {
    if (::flock(m_fd, LOCK_EX) != 0) return LastPosixError();
    m_locked = true;
  }
  std::error_code error;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(m_workFolder, m_hint, temp)) return Error(std::errc::filename_too_long);
    error = LinkAs(temp.c_str());
    if (error == std::errc::file_exists) continue;
    if (error) return error;
    if (std::error_code injected = InjectedFailure(FileCall::kRename, destination)) {
      m_name = std::move(temp);
      return injected;
    }
    if (::rename(temp.c_str(), destination) == 0) {
      m_named = true;
      return {};
    }
    // The hidden name stays (the destructor removes it): a file that has had names and lost
    // them all can never be linked again, and a further name may still want this one.
    error = LastPosixError();
    m_name = std::move(temp);
    return error;
  }
  return error;
}

std::error_code PendingFile::LinkAs(const char* name) const {
  if (std::error_code injected = InjectedFailure(FileCall::kLink, name)) return injected;
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_fd);
  if (::linkat(AT_FDCWD, self, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0) return {};
  if (errno == EEXIST) return Error(std::errc::file_exists);
  std::error_code error = LastPosixError();
  // Without /proc, only a process allowed to link any open file may do it this way.
  if (::linkat(m_fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0) return {};
  return errno == EEXIST ? Error(std::errc::file_exists) : error;
}

std::error_code HardLinkReplacing(const char* existing, const char* destination,
                                  const std::string& workFolder, std::string_view nameHint) {
  std::error_code error;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(workFolder, nameHint, temp)) return Error(std::errc::filename_too_long);
    if (std::error_code injected = InjectedFailure(FileCall::kLink, destination)) return injected;
    if (::link(existing, temp.c_str()) != 0) {
      error = errno == EEXIST ? Error(std::errc::file_exists) : LastPosixError();
      if (error == std::errc::file_exists) continue;
      return error;
    }
    if (std::error_code injected = InjectedFailure(FileCall::kRename, destination)) {
      ::unlink(temp.c_str());
      return injected;
    }
    if (::rename(temp.c_str(), destination) == 0) {
      // Where the destination was already a name of the same file, rename does nothing and
      // the hidden name stays: it goes here (the file keeps its other names).
      ::unlink(temp.c_str());
      return {};
    }
    // The file keeps its other name, so the hidden one may go.
    error = LastPosixError();
    ::unlink(temp.c_str());
    return error;
  }
  return error;
}
