// Versions are matched to their files by name, as the store's own listing reads them, and to
// the earlier contents by digest, which the store knows nothing of.
#include "bench/versions_check.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "store/versions.h"

namespace fs = std::filesystem;

namespace {

struct Found {
  std::uint64_t digest = 0;
  std::uint64_t size = 0;
};

}  // namespace

VersionsCheck CheckVersions(const std::string& versionsOfTree,
                            const std::vector<ChangedFile>& changed) {
  VersionsCheck check;
  std::map<std::string, std::vector<Found>> found;  // by the relative path of its file
  std::error_code error;
  if (fs::exists(versionsOfTree, error)) {
    fs::recursive_directory_iterator it(versionsOfTree, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (!it->is_regular_file(error) || it->is_symlink(error)) continue;
      const fs::path relative = it->path().lexically_relative(versionsOfTree);
      const std::optional<VersionName> name = ParseVersionFileName(relative.filename().string());
      if (!name) {
        check.problems.push_back("not named as a version: " + relative.generic_string());
        continue;
      }
      Found version;
      if ((error = DigestFile(it->path().string(), version.digest, version.size))) break;
      ++check.versions;
      check.bytes += version.size;
      found[(relative.parent_path() / name->fileName).generic_string()].push_back(version);
    }
  }
  if (error) {
    check.problems.push_back("cannot read " + versionsOfTree + ": " + error.message());
    return check;
  }
  for (const ChangedFile& file : changed) {
    const auto versions = found.find(file.relativePath);
    if (versions == found.end()) {
      check.problems.push_back("no version of " + file.relativePath);
      continue;
    }
    if (versions->second.size() != 1) {
      check.problems.push_back(std::to_string(versions->second.size()) + " versions of " +
                               file.relativePath);
    } else if (versions->second.front().size != file.previousSize ||
               versions->second.front().digest != file.previousDigest) {
      check.problems.push_back("the version of " + file.relativePath +
                               " does not hold its earlier contents");
    }
    found.erase(versions);
  }
  for (const auto& [path, versions] : found) {
    check.problems.push_back("a version of " + path + ", which did not change");
  }
  return check;
}
