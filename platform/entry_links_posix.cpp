// Entry looks and links over POSIX: lstat, readlink and symlink, never following a link.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/entry_links.h"
#include "platform/held_parent_posix.h"
#include "platform/hidden_names.h"
#include "platform/injected_failures.h"
#include "platform/pending_file_posix.h"
#include "platform/platform_files.h"
#include "platform/stamp_posix.h"

namespace {

std::error_code SetLinkTime(const char* path, std::int64_t seconds, std::int64_t nanoseconds) {
  const struct timespec times[2] = {{0, UTIME_OMIT},
                                    {static_cast<time_t>(seconds), static_cast<long>(nanoseconds)}};
  if (::utimensat(AT_FDCWD, path, times, AT_SYMLINK_NOFOLLOW) != 0) return LastPosixError();
  return {};
}

// The slow way, where the kernel cannot refuse links on the way: one look at each part.
bool LinkOnTheWayPartByPart(const std::string& path, std::size_t from) {
  for (std::size_t end = path.find('/', from + 1); end != std::string::npos;
       end = path.find('/', end + 1)) {
    struct stat st;
    if (::lstat(path.substr(0, end).c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return true;
  }
  return false;
}

}  // namespace

bool LinkOnTheWay(const std::string& path, std::size_t from) {
  const std::size_t last = path.rfind('/');
  if (last == std::string::npos || last <= from) return false;
  FdGuard top(::open(path.substr(0, from).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (top.get() < 0) return false;
  std::size_t start = from;
  while (start < last && path[start] == '/') ++start;
  if (start >= last) return false;
  const std::string rest = path.substr(start, last - start);
  struct open_how how = {};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  FdGuard folder(static_cast<int>(::syscall(SYS_openat2, top.get(), rest.c_str(), &how, sizeof how)));
  if (folder.get() >= 0) return false;
  if (errno == ELOOP || errno == EXDEV) return true;
  if (errno == ENOSYS || errno == EPERM || errno == EINVAL) return LinkOnTheWayPartByPart(path, from);
  // A part missing, or one that is a file: nothing lies below it, through a link or not.
  return errno == ENOTDIR && LinkOnTheWayPartByPart(path, from);
}

namespace {

void Describe(const struct stat& st, EntryLook& look) {
  look.kind = S_ISREG(st.st_mode)   ? EntryKind::kRegular
              : S_ISLNK(st.st_mode) ? EntryKind::kLink
              : S_ISDIR(st.st_mode) ? EntryKind::kFolder
                                    : EntryKind::kOther;
  look.device = static_cast<std::uint64_t>(st.st_dev);
  look.index = static_cast<std::uint64_t>(st.st_ino);
  look.links = static_cast<std::uint64_t>(st.st_nlink);
  look.modifiedSeconds = st.st_mtim.tv_sec;
  look.modifiedNanoseconds = st.st_mtim.tv_nsec;
  look.stamp.clear();
  if (look.kind == EntryKind::kRegular) look.stamp = StampOf(st);
}

}  // namespace

std::error_code LookAtEntry(const char* path, EntryLook& look) {
  struct stat st;
  if (::lstat(path, &st) != 0) return LastPosixError();
  Describe(st, look);
  return {};
}

struct FolderLooks::Held {
  HeldParent parent;
};

FolderLooks::FolderLooks() = default;
FolderLooks::~FolderLooks() = default;

void FolderLooks::Use(std::string_view folder) {
  if (folder == m_folder) return;
  m_folder.assign(folder);
  m_held.reset();
}

std::error_code FolderLooks::Look(const char* name, EntryLook& look) {
  if (!m_held) {
    auto held = std::make_unique<Held>();
    if (!held->parent.Open(m_folder)) return LookAtEntry((m_folder + '/' + name).c_str(), look);
    m_held = std::move(held);
  }
  struct stat st;
  if (::fstatat(m_held->parent.Descriptor(), m_held->parent.Relative(name).c_str(), &st,
                AT_SYMLINK_NOFOLLOW) != 0) {
    return LastPosixError();
  }
  Describe(st, look);
  return {};
}

std::error_code ReadLinkTarget(const char* path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path, buffer.data(), buffer.size());
    if (n < 0) return LastPosixError();
    if (static_cast<std::size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(n));
      return {};
    }
    if (buffer.size() >= kMaxPath) return std::make_error_code(std::errc::filename_too_long);
    buffer.resize(buffer.size() * 4);
  }
}

std::error_code MakeLink(const std::string& target, const std::string& destination,
                         const std::string& workFolder, bool failIfExists,
                         std::int64_t modifiedSeconds, std::int64_t modifiedNanoseconds) {
  if (std::error_code injected = InjectedFailure(FileCall::kLink, destination)) return injected;
  if (failIfExists) {
    if (::symlink(target.c_str(), destination.c_str()) != 0) {
      if (errno == EEXIST) return std::make_error_code(std::errc::file_exists);
      if (errno == EPERM) return std::make_error_code(std::errc::operation_not_supported);
      return LastPosixError();
    }
    SetLinkTime(destination.c_str(), modifiedSeconds, modifiedNanoseconds);
    return {};
  }
  std::error_code error;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(workFolder, NameOf(destination), temp)) {
      return std::make_error_code(std::errc::filename_too_long);
    }
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
      error = errno == EEXIST ? std::make_error_code(std::errc::file_exists) : LastPosixError();
      if (error == std::errc::file_exists) continue;
      if (error == std::errc::operation_not_permitted) {
        error = std::make_error_code(std::errc::operation_not_supported);
      }
      return error;
    }
    // The time goes with the link before it takes the name: it never shows without it.
    SetLinkTime(temp.c_str(), modifiedSeconds, modifiedNanoseconds);
    if (std::error_code injected = InjectedFailure(FileCall::kRename, destination)) {
      ::unlink(temp.c_str());
      return injected;
    }
    if (::rename(temp.c_str(), destination.c_str()) == 0) return {};
    error = LastPosixError();
    ::unlink(temp.c_str());
    return error;
  }
  return error;
}
