// Platform file services over POSIX: folder search, the program's path, folder creation,
// the all-or-nothing file copy and error texts.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// A mkostemp template in the folder of path: "folder/.name.XXXXXX". False when it would not
// fit a path buffer.
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

// Gives the finished temporary file the destination's name.
std::error_code Publish(const char* temp, const char* destination, bool failIfExists) {
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

std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists) {
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

  std::string temp;
  if (!TemporaryNameBeside(destination, temp)) return Error(std::errc::filename_too_long);

  FdGuard out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.get() < 0) return LastError();
  std::error_code error = CopyContents(in.get(), out.get(), st.st_size);
  // Permission bits only: a copy made by another user must not carry set-id bits.
  if (!error && ::fchmod(out.get(), st.st_mode & 0777) != 0) error = LastError();
  if (!error) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.get(), times) != 0) error = LastError();
  }
  if (!error) error = Publish(temp.c_str(), destination, failIfExists);
  if (error) ::unlink(temp.c_str());
  return error;
}

std::error_code WriteFileReplacing(const char* path, std::string_view contents) {
  struct stat st;
  {
    FdGuard existing(::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (existing.get() < 0 || ::fstat(existing.get(), &st) != 0) return LastError();
  }
  std::string temp;
  if (!TemporaryNameBeside(path, temp)) return Error(std::errc::filename_too_long);
  FdGuard out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.get() < 0) return LastError();
  std::error_code error;
  for (std::size_t done = 0; !error && done < contents.size();) {
    ssize_t w = ::write(out.get(), contents.data() + done, contents.size() - done);
    if (w < 0 && errno != EINTR) error = LastError();
    if (w > 0) done += static_cast<std::size_t>(w);
  }
  // On disk before the rename, so the name never points at a half-written file.
  if (!error && ::fsync(out.get()) != 0) error = LastError();
  // The replacement keeps the permissions the file had.
  if (!error && ::fchmod(out.get(), st.st_mode & 0777) != 0) error = LastError();
  if (!error && ::rename(temp.c_str(), path) != 0) error = LastError();
  if (error) ::unlink(temp.c_str());
  return error;
}

std::string ErrorText(std::error_code code) { return code.message(); }
