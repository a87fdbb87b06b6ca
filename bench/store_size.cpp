// Hard links are told apart by device and inode, the way the file system itself knows them.
#include "bench/store_size.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <utility>

namespace fs = std::filesystem;

std::error_code MeasureStore(const std::string& backups, StoreSize& size) {
  size = {};
  std::set<std::pair<dev_t, ino_t>> seen;
  std::error_code error;
  fs::recursive_directory_iterator it(backups, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it.depth() == 0) {
      const std::string name = it->path().filename().string();
      if (name == "list.txt" || name == "unprotected.txt") continue;
    }
    struct stat status {};
    if (::lstat(it->path().c_str(), &status) != 0) {
      return std::error_code(errno, std::generic_category());
    }
    if (!S_ISREG(status.st_mode)) continue;
    ++size.names;
    if (seen.emplace(status.st_dev, status.st_ino).second) {
      ++size.files;
      size.bytes += static_cast<std::uint64_t>(status.st_size);
    }
  }
  return error;
}
