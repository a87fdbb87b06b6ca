// For tests on any platform: a new empty folder under the system's temporary folder, removed
// with everything in it, however deep, when the object goes. Paths are the platform's
// (std::filesystem).
#pragma once

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

class TempFolder {
 public:
  // In parent, the system's temporary folder unless given.
  explicit TempFolder(
      const std::string& prefix = "quillmar-test-",
      const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::mt19937_64 random(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate = parent / (prefix + std::to_string(random() % 1000000000));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        m_root = candidate;
        return;
      }
    }
    std::abort();  // no temporary folder: no test can run
  }
  ~TempFolder() {
#ifndef _WIN32
    // Trees deeper than a path can name are removed by descriptor.
    RemoveAt(AT_FDCWD, m_root.c_str());
#endif
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder itself, or a path below it ("a/b" with the platform's separators).
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? m_root.string() : (m_root / relative).make_preferred().string();
  }
  void MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(m_root / relative);
  }
  void Write(const std::string& relative, const std::string& content) const {
    std::ofstream(Path(relative), std::ios::binary | std::ios::trunc) << content;
  }
  // A folder kept in memory where the system has one (/dev/shm), else the temporary folder:
  // for tests whose timing a disk's write-back would upset.
  static std::filesystem::path InMemoryParent() {
    std::error_code error;
    const std::filesystem::path shared("/dev/shm");
    return std::filesystem::is_directory(shared, error) ? shared
                                                        : std::filesystem::temp_directory_path();
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

 private:
#ifndef _WIN32
  static void RemoveAt(int dirFd, const char* name) {
    if (::unlinkat(dirFd, name, 0) == 0) return;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      ::close(fd);
      return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string child = entry->d_name;
      if (child != "." && child != "..") names.push_back(child);
    }
    for (const std::string& child : names) RemoveAt(::dirfd(dir), child.c_str());
    ::closedir(dir);
    ::unlinkat(dirFd, name, AT_REMOVEDIR);
  }
#endif

  std::filesystem::path m_root;
};
