// Platform file services over POSIX: folder search, the program's path, folder creation,
// the all-or-nothing file copy and rewrite, their notes and leftovers, and error texts.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string_view>

#include "platform/injected_failures.h"
#include "platform/path_parts.h"
#include "platform/pending_file_posix.h"
#include "platform/platform_files.h"
#include "platform/stamp_posix.h"

static_assert(kMaxPath == PATH_MAX && kMaxFileName == NAME_MAX + 1,
              "path buffers must have the system's sizes");

namespace {

DIR* AsDir(PlatformHandle handle) { return static_cast<DIR*>(handle); }

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }
std::error_code Error(std::errc code) { return std::make_error_code(code); }

// File-system numbers that not every kernel's headers name; they are fixed kernel ABI.
constexpr unsigned long kConfigfsMagic = 0x62656570UL;
constexpr unsigned long kFusectlMagic = 0x65735543UL;
constexpr unsigned long kMqueueMagic = 0x19800202UL;
constexpr unsigned long kBinfmtMagic = 0x42494e4dUL;
constexpr unsigned long kRpcPipefsMagic = 0x67596969UL;
constexpr unsigned long kNfsdMagic = 0x6e667364UL;

// The file-system type name that the mount table gives for a device, or "" when unknown.
std::string MountTypeOf(std::uint64_t device) {
  std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
  if (table == nullptr) return std::string();
  const std::string wanted = std::to_string(major(static_cast<dev_t>(device))) + ":" +
                             std::to_string(minor(static_cast<dev_t>(device)));
  std::string type;
  char* line = nullptr;
  std::size_t capacity = 0;
  while (::getline(&line, &capacity, table) > 0) {
    // "id parent major:minor root mount-point options [optional...] - type source ..."
    std::string_view text(line);
    std::size_t first = text.find(' ');
    std::size_t second = first == std::string_view::npos ? first : text.find(' ', first + 1);
    std::size_t third = second == std::string_view::npos ? second : text.find(' ', second + 1);
    if (third == std::string_view::npos || text.substr(second + 1, third - second - 1) != wanted) {
      continue;
    }
    std::size_t dash = text.find(" - ");
    if (dash == std::string_view::npos) continue;
    std::string_view rest = text.substr(dash + 3);
    type.assign(rest.substr(0, rest.find(' ')));
    break;
  }
  std::free(line);
  std::fclose(table);
  return type;
}

bool MatchesAll(std::string_view pattern) { return pattern == "*.*" || pattern == "*"; }

std::string& ProgramPathOverride() {
  static std::string path;
  return path;
}

}  // namespace

DirectorySearch::~DirectorySearch() { Close(); }

std::error_code DirectorySearch::Start(const char* searchPath, FindData& data) {
  Close();
  std::string_view search(searchPath);
  std::size_t slash = search.rfind(kPathSeparator);
  std::string folder;
  if (slash == std::string_view::npos) {
    folder = ".";
    m_pattern.assign(search);
  } else {
    folder.assign(slash == 0 ? std::string_view("/") : search.substr(0, slash));
    m_pattern.assign(search.substr(slash + 1));
  }
  m_handle = ::opendir(folder.c_str());
  if (m_handle == nullptr) return LastError();
  struct stat st;
  if (::fstat(::dirfd(AsDir(m_handle)), &st) != 0) {
    std::error_code error = LastError();
    Close();
    return error;
  }
  m_device = static_cast<std::uint64_t>(st.st_dev);
  m_inode = static_cast<std::uint64_t>(st.st_ino);
  std::error_code ended;
  if (!Fill(data, ended)) {
    Close();
    return ended ? ended : Error(std::errc::no_such_file_or_directory);
  }
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
  bool matchAll = MatchesAll(m_pattern);
  for (;;) {
    errno = 0;
    struct dirent* entry = ::readdir(AsDir(m_handle));
    if (entry == nullptr) {
      if (errno != 0) ended = LastError();
      return false;
    }
    if (!matchAll && !MatchesWildcard(entry->d_name, m_pattern)) continue;
    bool folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      // Only here is a stat worth its cost: links to folders count as folders.
      struct stat st;
      folder =
          ::fstatat(::dirfd(AsDir(m_handle)), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    bool link = entry->d_type == DT_LNK;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st;
      link = ::fstatat(::dirfd(AsDir(m_handle)), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
             S_ISLNK(st.st_mode);
    }
    data.dwFileAttributes = (folder ? kFolderAttribute : 0) | (link ? kLinkAttribute : 0);
    std::size_t length = std::strlen(entry->d_name);
    if (length >= sizeof data.cFileName) length = sizeof data.cFileName - 1;
    std::memcpy(data.cFileName, entry->d_name, length);
    data.cFileName[length] = '\0';
    return true;
  }
}

bool DirectorySearch::OnPseudoFileSystem() const {
  if (m_handle == nullptr) return false;
  struct statfs fs;
  if (::fstatfs(::dirfd(AsDir(m_handle)), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case HUGETLBFS_MAGIC:
    case AUTOFS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case TRACEFS_MAGIC:
    case BPF_FS_MAGIC:
    case NSFS_MAGIC:
    case SELINUX_MAGIC:
    case EFIVARFS_MAGIC:
    case kConfigfsMagic:
    case kFusectlMagic:
    case kMqueueMagic:
    case kBinfmtMagic:
    case kRpcPipefsMagic:
    case kNfsdMagic:
      return true;
    case TMPFS_MAGIC:
      // devtmpfs (/dev) reports tmpfs's number; only the mount table tells them apart.
      return MountTypeOf(m_device) == "devtmpfs";
    default:
      return false;
  }
}

void DirectorySearch::Close() {
  if (m_handle != nullptr) ::closedir(AsDir(m_handle));
  m_handle = nullptr;
  m_device = 0;
  m_inode = 0;
}

std::error_code IdentifyFolder(const char* path, std::uint64_t& device, std::uint64_t& inode) {
  struct stat st;
  if (::stat(path, &st) != 0) return LastError();
  if (!S_ISDIR(st.st_mode)) return Error(std::errc::not_a_directory);
  device = static_cast<std::uint64_t>(st.st_dev);
  inode = static_cast<std::uint64_t>(st.st_ino);
  return {};
}

std::string GetProgramPath() {
  const std::string& testPath = ProgramPathOverride();
  if (!testPath.empty()) return testPath;
  char buffer[kMaxPath];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n < 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(n));
}

void SetProgramPathForTesting(const std::string& executablePath) {
  ProgramPathOverride() = executablePath;
}

std::error_code CreateFolder(const char* path) {
  if (::mkdir(path, 0777) == 0) return {};
  if (errno == EEXIST) return Error(std::errc::file_exists);
  return LastError();
}

std::error_code CreatePrivateFolder(const char* path) {
  if (::mkdir(path, 0700) == 0) return {};
  if (errno == EEXIST) return Error(std::errc::file_exists);
  return LastError();
}

void RunInForkedChildren(void (*action)()) { ::pthread_atfork(nullptr, nullptr, action); }

std::error_code RestrictToOwner(const char* path) {
  struct stat st;
  if (::stat(path, &st) != 0) return LastError();
  if ((st.st_mode & 077) == 0) return {};
  if (::chmod(path, st.st_mode & 07700) != 0) return LastError();
  return {};
}

std::optional<std::string> ReadFileNote(const char* path, const char* name) {
  const std::string attribute = std::string("user.") + name;
  if (InjectedFailure(FileCall::kNote, path)) return std::nullopt;
  char value[kMaxPath];
  ssize_t n = ::lgetxattr(path, attribute.c_str(), value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

std::error_code IdentifyFile(const char* path, FileIdentity& identity) {
  struct stat st;
  if (::stat(path, &st) != 0) return LastError();
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
              static_cast<std::uint64_t>(st.st_size), static_cast<std::uint64_t>(st.st_nlink)};
  return {};
}

std::error_code RemoveFile(const char* path) {
  return ::unlink(path) == 0 ? std::error_code() : LastError();
}

std::optional<std::string> ContentsStamp(const char* path) {
  struct stat st;
  if (::stat(path, &st) != 0) return std::nullopt;
  return StampOf(st);
}

std::string StampOf(const struct stat& st) {
  // "dev:ino:size:mtime.ns:ctime.ns", the numbers in hex, the times in decimal. Written by hand:
  // a clean of an unchanged tree takes a stamp of every file, and printf's way cost more
  // than the look at the file.
  std::string stamp;
  stamp.reserve(96);
  char digits[24];
  auto put = [&](auto value, int base, char after) {
    stamp.append(digits, std::to_chars(digits, digits + sizeof digits, value, base).ptr);
    stamp += after;
  };
  auto putTime = [&](const struct timespec& time) {
    put(static_cast<long long>(time.tv_sec), 10, '.');
    long value = time.tv_nsec;
    for (int digit = 8; digit >= 0; --digit, value /= 10) {
      digits[digit] = static_cast<char>('0' + value % 10);
    }
    stamp.append(digits, 9);
  };
  put(static_cast<unsigned long long>(st.st_dev), 16, ':');
  put(static_cast<unsigned long long>(st.st_ino), 16, ':');
  put(static_cast<unsigned long long>(st.st_size), 16, ':');
  putTime(st.st_mtim);
  stamp += ':';
  putTime(st.st_ctim);
  return stamp;
}

std::error_code AttachFileNote(const char* path, const FileNote& note) {
  if (std::error_code injected = InjectedFailure(FileCall::kNote, path)) return injected;
  const std::string attribute = std::string("user.") + note.name;
  if (::setxattr(path, attribute.c_str(), note.value.data(), note.value.size(), 0) != 0) {
    return LastError();
  }
  return {};
}

std::error_code WriteFileReplacing(const char* path, std::string_view contents) {
  struct stat st;
  {
    FdGuard existing(::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (existing.get() < 0 || ::fstat(existing.get(), &st) != 0) return LastError();
  }
  // The replacement keeps the permissions the file had.
  PendingFile out(FolderOf(path));
  if (std::error_code error = out.Create(NameOf(path), st.st_mode & 0777)) return error;
  if (std::error_code injected = InjectedFailure(FileCall::kWrite, path)) return injected;
  for (std::size_t done = 0; done < contents.size();) {
    ssize_t w = ::write(out.fd(), contents.data() + done, contents.size() - done);
    if (w < 0 && errno != EINTR) return LastError();
    if (w > 0) done += static_cast<std::size_t>(w);
  }
  // On disk before it takes the name, so the name never points at a half-written file.
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, path)) return injected;
  if (::fsync(out.fd()) != 0) return LastError();
  return out.Publish(path, /*failIfExists=*/false);
}

void RemoveAbandonedTemporaries(const char* folder, bool (*isTemporary)(std::string_view name),
                                std::chrono::seconds linkAge) {
  DIR* dir = ::opendir(folder);
  if (dir == nullptr) return;
  while (struct dirent* entry = ::readdir(dir)) {
    if (!isTemporary(entry->d_name)) continue;
    struct stat link;
    if (::fstatat(::dirfd(dir), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(link.st_mode)) {
      // Its change time is when it was made, or last renamed: its writer's own time cannot
      // stand in for it, since the link is given the time of the link it copies.
      if (::time(nullptr) - link.st_ctim.tv_sec >= linkAge.count()) {
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
      }
      continue;
    }
    FdGuard file(::openat(::dirfd(dir), entry->d_name,
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened, named;
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
    // Its writer holds the lock for as long as it lives.
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;
    // Remove only the file that was looked at, not one that took its name meanwhile.
    if (::fstatat(::dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

std::string ErrorText(std::error_code code) { return code.message(); }
