// FolderNotes on Linux: getxattrat(2) reads a note by a name relative to a descriptor of the
// folder (about half the cost of a whole path twenty components deep, measured). Reading
// through /proc/self/fd/N/NAME instead costs more than the whole path: the system checks each
// of /proc's components again on every lookup.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/folder_notes.h"
#include "platform/injected_failures.h"
#include "platform/platform_files.h"

namespace {

#ifndef SYS_getxattrat
// New system calls share one number on every architecture.
constexpr long SYS_getxattrat = 464;
#endif

// The argument block of getxattrat(2), as the kernel's headers give it.
struct XattrArgs {
  std::uint64_t value;
  std::uint32_t size;
  std::uint32_t flags;
};

// Set once the system turned getxattrat down (an older kernel, or a filter of system calls):
// asking again for every file would double the calls.
std::atomic<bool> wholePaths{false};

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

struct FolderNotes::Held {
  explicit Held(int descriptor) : fd(descriptor) {}
  ~Held() { ::close(fd); }
  int fd;
  // The folder as it was when its path last named it. A folder renamed, removed, or whose
  // names changed, has another change time (or no links left), and is then looked up again.
  struct stat seen;
};

FolderNotes::FolderNotes() = default;
FolderNotes::~FolderNotes() = default;

void FolderNotes::Use(const std::string& folder) {
  if (folder == m_folder) return;
  m_folder = folder;
  m_held.reset();
}

std::optional<std::string> FolderNotes::Read(const char* name, const char* noteName) {
  const std::string path = m_folder + '/' + name;
  if (InjectedFailure(FileCall::kNote, path)) return std::nullopt;
  const std::string attribute = std::string("user.") + noteName;
  char value[kMaxPath];
  if (!wholePaths.load(std::memory_order_relaxed)) {
    struct stat now;
    if (m_held && (::fstat(m_held->fd, &now) != 0 || now.st_nlink == 0 ||
                   !SameTime(now.st_ctim, m_held->seen.st_ctim))) {
      struct stat named;
      if (::stat(m_folder.c_str(), &named) == 0 && now.st_nlink != 0 &&
          named.st_dev == now.st_dev && named.st_ino == now.st_ino) {
        m_held->seen = now;
      } else {
        m_held.reset();
      }
    }
    if (!m_held) {
      const int fd = ::open(m_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fd >= 0) {
        m_held = std::make_unique<Held>(fd);
        if (::fstat(fd, &m_held->seen) != 0) m_held.reset();
      }
    }
    if (m_held) {
      XattrArgs args{reinterpret_cast<std::uintptr_t>(value), sizeof value, 0};
      const long n = ::syscall(SYS_getxattrat, m_held->fd, name, AT_SYMLINK_NOFOLLOW,
                               attribute.c_str(), &args, sizeof args);
      if (n >= 0) return std::string(value, static_cast<std::size_t>(n));
      if (errno != ENOSYS && errno != EPERM) return std::nullopt;
      wholePaths.store(true, std::memory_order_relaxed);
      m_held.reset();
    }
  }
  const ssize_t n = ::lgetxattr(path.c_str(), attribute.c_str(), value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

void FolderNotes::ReadByWholePathsForTesting(bool wholePathsFromNow) {
  wholePaths.store(wholePathsFromNow, std::memory_order_relaxed);
}
