// FolderNotes on Linux: getxattrat(2) reads a note by a path relative to a descriptor of the
// folder's parent, about half the cost of a whole path twenty components deep. Reading through
// /proc/self/fd/N/NAME instead costs about as much as the whole path: the system checks each of
// /proc's components again on every lookup.
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <utility>

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

}  // namespace

// The folder's parent, held open, and the folder's own name: each note is read through the
// folder's name, so a folder removed or put in another's place since it was opened is never
// read through the one it replaced, at the cost of one component more than the file's name.
struct FolderNotes::Held {
  Held(int descriptor, std::string name) : fd(descriptor), folderName(std::move(name)) {}
  ~Held() { ::close(fd); }
  int fd;
  std::string folderName;  // with a separator after it; empty for the root folder
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
    if (!m_held) {
      const std::size_t slash = m_folder.find_last_of('/');
      std::string parent = slash == std::string::npos ? std::string(".")
                           : slash == 0               ? std::string("/")
                                                      : m_folder.substr(0, slash);
      std::string folderName =
          slash == std::string::npos ? m_folder + '/' : m_folder.substr(slash + 1) + '/';
      if (folderName == "/") folderName.clear();
      const int fd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fd >= 0) m_held = std::make_unique<Held>(fd, std::move(folderName));
    }
    if (m_held) {
      const std::string relative = m_held->folderName + name;
      XattrArgs args{reinterpret_cast<std::uintptr_t>(value), sizeof value, 0};
      const long n = ::syscall(SYS_getxattrat, m_held->fd, relative.c_str(), AT_SYMLINK_NOFOLLOW,
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
