// Test support: a record of every entry below a folder (kind, mode, size, modification time and
// the bytes of small files), taken by descriptor so that paths beyond PATH_MAX are covered, to
// prove that a walk wrote nothing outside the backups folder.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

namespace test_tree {

using Snapshot = std::map<std::string, std::string>;

namespace snapshot_detail {

inline std::string Describe(int dirFd, const char* name, const struct stat& st) {
  std::string text = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                     std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
  if (S_ISREG(st.st_mode) && st.st_size <= 65536) {
    int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      char buffer[65536];
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) text.append(" ").append(buffer, static_cast<std::size_t>(n));
      ::close(fd);
    }
  } else if (S_ISLNK(st.st_mode)) {
    char target[PATH_MAX];
    ssize_t n = ::readlinkat(dirFd, name, target, sizeof target);
    if (n > 0) text.append(" -> ").append(target, static_cast<std::size_t>(n));
  }
  return text;
}

inline void Take(int dirFd, const std::string& prefix, const std::string& skip, Snapshot& out) {
  int fd = ::dup(dirFd);
  DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
  if (dir == nullptr) {
    if (fd >= 0) ::close(fd);
    return;
  }
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  for (const std::string& name : names) {
    const std::string relative = prefix + name;
    if (relative == skip) continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      out[relative] = "unreadable";
      continue;
    }
    out[relative] = Describe(::dirfd(dir), name.c_str(), st);
    if (S_ISDIR(st.st_mode)) {
      int child =
          ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child >= 0) {
        Take(child, relative + "/", skip, out);
        ::close(child);
      }
    }
  }
  ::closedir(dir);
}

}  // namespace snapshot_detail

// Every entry below root, by path relative to root; the entry at skip (relative, such as
// "prog/backups") and everything below it are left out. Links are recorded, not followed.
inline Snapshot TakeSnapshot(const std::string& root, const std::string& skip) {
  Snapshot out;
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return out;
  snapshot_detail::Take(fd, "", skip, out);
  ::close(fd);
  return out;
}

}  // namespace test_tree
