// Whether a clean that met changed files kept exactly what they held before as versions: one
// version for each changed file, with its earlier contents, and none for any other file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/tree_change.h"

struct VersionsCheck {
  std::uint64_t versions = 0;  // version files found
  std::uint64_t bytes = 0;     // their sizes added up
  // One line for each file whose version is missing, doubled or holds other contents, and for
  // each version of a file that did not change. Empty when the versions are exactly right.
  std::vector<std::string> problems;
};

// versionsOfTree: the store's versions folder followed by the tree's absolute path, the
// folder where the versions of the tree's files mirror it. changed: the files changed since
// the store last copied them, as PickFilesToChange noted them.
VersionsCheck CheckVersions(const std::string& versionsOfTree,
                            const std::vector<ChangedFile>& changed);
