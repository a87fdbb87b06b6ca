// Platform file services over POSIX: folder search, the program's path, folder creation,
// the all-or-nothing file copy and rewrite, their notes and leftovers, and error texts.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string_view>

#include "path_parts.h"
#include "platform_files.h"

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

// Closes a descriptor on every way out of the copy.
class FdGuard {
 public:
  explicit FdGuard(int fd) : m_fd(fd) {}
  ~FdGuard() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

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
    error = LastError();
    return true;
  }
}

// Copies the whole of in (from its start) to out, preferring in-kernel copies. Once the
// size the file had when opened has been copied, the copy is complete: asking again only to
// hear "end of file" would cost one more call per file.
std::error_code CopyContents(int in, int out, off_t sizeHint) {
  off_t remaining = sizeHint;
  std::error_code error;
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
      return LastError();
    }
    if (n == 0) return {};
    ssize_t done = 0;
    while (done < n) {
      ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return LastError();
      }
      done += w;
    }
  }
}

// "folder/.name.XXXXXX": a hidden name beside path for a file on its way there. False when
// it would not fit a path buffer.
bool TemporaryNameBeside(std::string_view path, std::string& temp) {
  std::size_t slash = path.rfind(kPathSeparator);
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  temp.clear();
  if (slash != std::string_view::npos) temp.assign(path.substr(0, slash + 1));
  // Keep the temporary name within the file system's name limit whatever the original's.
  temp += '.';
  temp.append(name.substr(0, 200));
  temp += ".XXXXXX";
  return temp.size() < kMaxPath;
}

// The folder part of path, for opening an unnamed file in it.
std::string FolderOf(std::string_view path) {
  std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
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

// Fills the XXXXXX at the end of a template with letters and digits.
void FillRandomSuffix(std::string& name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::uint64_t state = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                               static_cast<std::uint64_t>(::time(nullptr));
  for (std::size_t i = name.size() - 6; i < name.size(); ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    name[i] = kLetters[(state >> 33) % (sizeof kLetters - 1)];
  }
}

// A file on its way to its destination. Where the file system allows, it has no name at all
// until it is complete (O_TMPFILE), so a process killed while writing it leaves nothing
// behind. Elsewhere it is a hidden name beside the destination, locked for as long as it is
// written so that RemoveAbandonedTemporaries can tell it from the leftover of a dead process.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_name.empty()) ::unlink(m_name.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // mode is the permission the finished file must have.
  std::error_code Create(std::string_view destination, mode_t mode) {
    m_fd = ::open(FolderOf(destination).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (m_fd < 0) {
      if (errno != EOPNOTSUPP && errno != EISDIR) return LastError();
      return CreateNamed(destination, mode);
    }
    // Only bits the creation mask took away need setting again.
    if ((mode & CreationMask()) != 0 && ::fchmod(m_fd, mode) != 0) return LastError();
    return {};
  }
  int fd() const { return m_fd; }

  // Gives the finished file the destination's name: never when something has it already
  // with failIfExists, otherwise replacing it in one step.
  std::error_code Publish(const char* destination, bool failIfExists) {
    if (!m_name.empty()) {
      std::error_code error = PublishNamed(m_name.c_str(), destination, failIfExists);
      if (!error) m_name.clear();
      return error;
    }
    std::error_code error = LinkAs(destination);
    if (!error || failIfExists || error != std::errc::file_exists) return error;
    // A name cannot be linked over another, so the file takes a hidden name first and is
    // renamed over the old one. Locked, that name is not taken for a dead writer's leftover
    // by another instance tidying the folder meanwhile: once unlinked, a file that had a
    // name can never be linked again.
    if (::flock(m_fd, LOCK_EX) != 0) return LastError();
    for (int attempt = 0; attempt < 3; ++attempt) {
      std::string temp;
      if (!TemporaryNameBeside(destination, temp)) return Error(std::errc::filename_too_long);
      FillRandomSuffix(temp);
      error = LinkAs(temp.c_str());
      if (error == std::errc::file_exists) continue;
      if (error) return error;
      if (::rename(temp.c_str(), destination) == 0) return {};
      error = LastError();
      ::unlink(temp.c_str());
      return error;
    }
    return error;
  }

 private:
  std::error_code CreateNamed(std::string_view destination, mode_t mode) {
    std::string temp;
    if (!TemporaryNameBeside(destination, temp)) return Error(std::errc::filename_too_long);
    m_fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (m_fd < 0) return LastError();
    m_name = std::move(temp);
    if (::flock(m_fd, LOCK_EX) != 0 || ::fchmod(m_fd, mode) != 0) return LastError();
    return {};
  }

  std::error_code LinkAs(const char* name) const {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_fd);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0) return {};
    if (errno == EEXIST) return Error(std::errc::file_exists);
    std::error_code error = LastError();
    // Without /proc, only a process allowed to link any open file may do it this way.
    if (::linkat(m_fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0) return {};
    return errno == EEXIST ? Error(std::errc::file_exists) : error;
  }

  static std::error_code PublishNamed(const char* temp, const char* destination,
                                      bool failIfExists) {
    if (!failIfExists) {
      if (::rename(temp, destination) != 0) return LastError();
      return {};
    }
    if (::renameat2(AT_FDCWD, temp, AT_FDCWD, destination, RENAME_NOREPLACE) == 0) return {};
    if (errno == EEXIST) return Error(std::errc::file_exists);
    if (errno != EINVAL && errno != ENOSYS) return LastError();
    // File systems without RENAME_NOREPLACE: a hard link cannot replace either.
    if (::link(temp, destination) != 0) {
      return errno == EEXIST ? Error(std::errc::file_exists) : LastError();
    }
    ::unlink(temp);
    return {};
  }

  int m_fd = -1;
  std::string m_name;  // the hidden name while there is one
};

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
    data.dwFileAttributes = folder ? FILE_ATTRIBUTE_DIRECTORY : 0;
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

std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists,
                                  const FileNote* note) {
  // Look before opening: opening a device or FIFO can block or act on the device.
  struct stat st;
  if (::stat(source, &st) != 0) return LastError();
  if (S_ISDIR(st.st_mode)) return Error(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return Error(std::errc::operation_not_supported);
  if (failIfExists) {
    struct stat existing;
    if (::lstat(destination, &existing) == 0) return Error(std::errc::file_exists);
  }

  FdGuard in(::open(source, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (in.get() < 0) return LastError();
  // The name may have been swapped for something else since the look above.
  if (::fstat(in.get(), &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode)) return Error(std::errc::operation_not_supported);

  PendingFile out;
  // Permission bits only: a copy made by another user must not carry set-id bits.
  if (std::error_code error = out.Create(destination, st.st_mode & 0777)) return error;
  if (std::error_code error = CopyContents(in.get(), out.fd(), st.st_size)) return error;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out.fd(), times) != 0) return LastError();
  if (note != nullptr) {
    // A note is extra knowledge, not part of the copy: a file system without extended
    // attributes still gets the copy.
    const std::string attribute = std::string("user.") + note->name;
    ::fsetxattr(out.fd(), attribute.c_str(), note->value.data(), note->value.size(), 0);
  }
  return out.Publish(destination, failIfExists);
}

std::optional<std::string> ReadFileNote(const char* path, const char* name) {
  const std::string attribute = std::string("user.") + name;
  char value[kMaxPath];
  ssize_t n = ::getxattr(path, attribute.c_str(), value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

std::error_code WriteFileReplacing(const char* path, std::string_view contents) {
  struct stat st;
  {
    FdGuard existing(::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (existing.get() < 0 || ::fstat(existing.get(), &st) != 0) return LastError();
  }
  // The replacement keeps the permissions the file had.
  PendingFile out;
  if (std::error_code error = out.Create(path, st.st_mode & 0777)) return error;
  for (std::size_t done = 0; done < contents.size();) {
    ssize_t w = ::write(out.fd(), contents.data() + done, contents.size() - done);
    if (w < 0 && errno != EINTR) return LastError();
    if (w > 0) done += static_cast<std::size_t>(w);
  }
  // On disk before it takes the name, so the name never points at a half-written file.
  if (::fsync(out.fd()) != 0) return LastError();
  return out.Publish(path, /*failIfExists=*/false);
}

void RemoveAbandonedTemporaries(const char* folder, bool (*isTemporary)(std::string_view name)) {
  DIR* dir = ::opendir(folder);
  if (dir == nullptr) return;
  while (struct dirent* entry = ::readdir(dir)) {
    if (!isTemporary(entry->d_name)) continue;
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
