// Absolute paths, folder and file tests, the home folder and parent-folder creation over
// POSIX.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/folder_paths.h"
#include "platform/path_parts.h"

namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

}  // namespace

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == kPathSeparator;
}

std::error_code MakeAbsolute(std::string& path) {
  if (IsAbsolutePath(path)) {
    path = NormalPath(path);
    return {};
  }
  std::vector<char> buffer(256);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return LastError();
    buffer.resize(buffer.size() * 2);
  }
  path = NormalPath(std::string(buffer.data()) + kPathSeparator + path);
  return {};
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderTakesNewFiles(const std::string& folder) {
  std::string probe = folder + "/.quillmar-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

bool IsMissing(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string HomeFolder() {
  const passwd* entry = ::getpwuid(::getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == kPathSeparator) {
    return entry->pw_dir;
  }
  return std::string(1, kPathSeparator);
}

namespace {

// As many links on the way as the kernel itself follows (Linux's MAXSYMLINKS).
constexpr int kMostLinksFollowed = 40;

std::error_code CreateFoldersOnTheWay(const std::string& path, int linksFollowed);

// folder is a link that leads nowhere: the folder it names is made, as a clean-up may have
// removed it with the rest of the tree.
std::error_code CreateLinkedFolder(const std::string& folder, int linksFollowed) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISLNK(st.st_mode) ||
      linksFollowed >= kMostLinksFollowed) {
    return std::make_error_code(std::errc::not_a_directory);
  }
  std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
  const ssize_t n = ::readlink(folder.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
    return std::make_error_code(std::errc::not_a_directory);
  }
  target.resize(static_cast<std::size_t>(n));
  if (target.front() != kPathSeparator) {
    target = folder.substr(0, folder.rfind(kPathSeparator) + 1) + target;
  }
  if (std::error_code error = CreateFoldersOnTheWay(target + kPathSeparator, linksFollowed + 1)) {
    return error;
  }
  return IsFolder(folder) ? std::error_code() : std::make_error_code(std::errc::not_a_directory);
}

std::error_code CreateFoldersOnTheWay(const std::string& path, int linksFollowed) {
  const std::size_t last = path.rfind(kPathSeparator);
  if (last == std::string::npos) return {};
  // Mostly the folder is there: one look instead of one attempt for each part of the way,
  // which a restore of many files would otherwise pay for each of them.
  if (last > 0 && IsFolder(path.substr(0, last))) return {};
  for (std::size_t end = path.find(kPathSeparator, 1); end != std::string::npos && end <= last;
       end = path.find(kPathSeparator, end + 1)) {
    if (path[end - 1] == kPathSeparator) continue;  // a doubled separator ends no new folder
    const std::string folder = path.substr(0, end);
    if (::mkdir(folder.c_str(), 0777) == 0) continue;
    const int error = errno;
    if (error != EEXIST) return std::error_code(error, std::generic_category());
    if (!IsFolder(folder)) {
      if (std::error_code made = CreateLinkedFolder(folder, linksFollowed)) return made;
    }
  }
  return {};
}

}  // namespace

std::error_code CreateParentFolders(const std::string& path) {
  return CreateFoldersOnTheWay(path, 0);
}
