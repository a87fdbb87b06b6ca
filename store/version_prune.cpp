// Choosing the versions to prune, per path, and removing them under the store's lock.
#include "store/version_prune.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "platform/folder_handle.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

std::vector<Version> VersionsToPrune(std::vector<Version> versions, const PruneRule& rule,
                                     std::int64_t now) {
  std::vector<Version> pruned;
  if (!rule.keepLast && !rule.keepYounger) return pruned;
  // One path's versions lie in one folder under one file name.
  std::map<std::pair<std::string, std::string>, std::vector<Version>> byPath;
  for (Version& version : versions) {
    const std::optional<VersionName> name = ParseVersionFileName(FindFileName(version.path));
    if (!name) continue;
    byPath[{FolderPart(version.path), name->fileName}].push_back(std::move(version));
  }
  for (auto& [path, group] : byPath) {
    std::sort(group.begin(), group.end(), [](const Version& a, const Version& b) {
      return a.takenAt != b.takenAt ? a.takenAt > b.takenAt : a.sequence > b.sequence;
    });
    for (std::size_t i = 0; i < group.size(); ++i) {
      const bool keptByCount = rule.keepLast && i < static_cast<std::size_t>(*rule.keepLast);
      const bool keptByAge = rule.keepYounger && group[i].takenAt > now - *rule.keepYounger;
      if (!keptByCount && !keptByAge) pruned.push_back(std::move(group[i]));
    }
  }
  return pruned;
}

PruneResult PruneVersions(const std::string& store, const PruneRule& rule, std::int64_t now,
                          bool dryRun) {
  PruneResult result;
  std::string folder = store;
  folder.pop_back();
  FolderHandle lock;
  if (!dryRun) {
    if ((result.failure = lock.Open(folder.c_str()))) return result;
    if ((result.failure = lock.Lock())) return result;
  }
  const std::string versionsFolder = store + std::string(kVersionsFolderName);
  std::set<std::pair<std::uint64_t, std::uint64_t>> counted;
  for (Version& version : VersionsToPrune(AllVersionsIn(versionsFolder), rule, now)) {
    FileIdentity identity;
    const bool identified = !IdentifyFile(version.path.c_str(), identity);
    if (!dryRun) {
      if (const std::error_code failure = RemoveFile(version.path.c_str())) {
        if (!result.failure) result.failure = failure;
        continue;
      }
    }
    // A file that keeps another name (the own copy of a path whose copy did not change)
    // frees nothing.
    if (identified && identity.links <= 1 &&
        counted.insert({identity.device, identity.index}).second) {
      result.bytesFreed += identity.size;
    }
    result.removed.push_back(std::move(version));
  }
  if (!dryRun) lock.Unlock();
  return result;
}
