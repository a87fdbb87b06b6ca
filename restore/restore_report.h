// The one box that ends a Restore of several highlighted entries: how many came back, and
// each entry left behind with the reason, in the order they were restored.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/entry_restore.h"

struct LeftEntry {
  std::string path;
  std::string reason;
};

// Why an entry was not restored, for the report; empty for an outcome that restored it.
std::string ReasonLeft(const RestoreOutcome& outcome);

// "File Restored" for one file, "N files restored" otherwise, then the entries left, each
// on a line with its reason. A box has room for only so many lines: past the first
// kNamedLeft, the rest are counted, since they are still there to see in the list.
inline constexpr std::size_t kNamedLeft = 15;
std::string HighlightedRestoreReport(std::size_t restored, const std::vector<LeftEntry>& left);
