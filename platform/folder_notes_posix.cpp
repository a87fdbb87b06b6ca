// FolderNotes on Linux: getxattrat(2) reads a note by a path relative to a descriptor of the
// folder's parent (held_parent_posix.h), about half the cost of a whole path twenty components deep. Reading through
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
#include "platform/held_parent_posix.h"
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

struct FolderNotes::Held {
  HeldParent parent;
};

FolderNotes::FolderNotes() = default;
FolderNotes::~FolderNotes() = default;

void FolderNotes::Use(const std::string& folder) {
  if (folder == m_folder) return;
  m_folder = folder;
  m_held.reset();
}

std::optional<std::string> FolderNotes::Read(const char* name, const char* noteName) {
  if (FailuresArranged() && InjectedFailure(FileCall::kNote, m_folder + '/' + name)) {
    return std::nullopt;
  }
  const std::string attribute = std::string("user.") + noteName;
  char value[kMaxPath];
  if (!wholePaths.load(std::memory_order_relaxed)) {
    if (!m_held) {
      auto held = std::make_unique<Held>();
      if (held->parent.Open(m_folder)) m_held = std::move(held);
    }
    if (m_held) {
      const std::string relative = m_held->parent.Relative(name);
      XattrArgs args{reinterpret_cast<std::uintptr_t>(value), sizeof value, 0};
      const long n = ::syscall(SYS_getxattrat, m_held->parent.Descriptor(), relative.c_str(),
                               AT_SYMLINK_NOFOLLOW, attribute.c_str(), &args, sizeof args);
      if (n >= 0) return std::string(value, static_cast<std::size_t>(n));
      if (errno != ENOSYS && errno != EPERM) return std::nullopt;
      wholePaths.store(true, std::memory_order_relaxed);
      m_held.reset();
    }
  }
  const std::string path = m_folder + '/' + name;
  const ssize_t n = ::lgetxattr(path.c_str(), attribute.c_str(), value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

void FolderNotes::ReadByWholePathsForTesting(bool wholePathsFromNow) {
  wholePaths.store(wholePathsFromNow, std::memory_order_relaxed);
}
