// Pruning the store's versions, by the user's choice alone: only older copies below
// "versions" ever go, never a path's own copy, a NAMEBACKUP copy or list.txt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "store/versions.h"

struct PruneRule {
  // Keep the newest keepLast versions of each path.
  std::optional<int> keepLast;
  // Keep the versions taken less than this many seconds before now.
  std::optional<std::int64_t> keepYounger;
};

struct PruneResult {
  std::vector<Version> removed;  // or, dry, those that would go
  std::uint64_t bytesFreed = 0;  // each file counted once, whatever its names
  std::error_code failure;       // the first version that could not be removed, or the lock
};

// The versions of each path that the rule lets go: with both parts given, only those that
// neither keeps. A rule with neither part keeps everything.
std::vector<Version> VersionsToPrune(std::vector<Version> versions, const PruneRule& rule,
                                     std::int64_t now);

// Removes (or, with dryRun, only names) what VersionsToPrune gives for the store folder store
// (ending with a separator), holding the store's lock, so that no clean or restore keeps a
// version meanwhile.
PruneResult PruneVersions(const std::string& store, const PruneRule& rule, std::int64_t now,
                          bool dryRun);
