// Choosing the copies and the paths of a restore as of a time.
#include "cli/as_of_choice.h"

#include <set>

#include "cli/store_list.h"
#include "platform/path_parts.h"
#include "store/versions.h"

std::optional<std::string> AsOfChoice::CopyFor(std::string_view path) {
  for (const Version& copy : m_copies.Of(path)) {
    if (copy.timeKnown && copy.takenAt <= m_asOf) return copy.path;
  }
  return std::nullopt;
}

AsOfChoice::Paths AsOfChoice::PathsUnder(const std::vector<std::string>& entries,
                                         const std::optional<std::string>& folder) {
  Paths chosen;
  // Where each path lies below its root: the same for a record with doubled separators and
  // for the path its copies name. A record that says no place is taken as it is.
  std::set<std::string> seen;
  auto take = [&](const std::string& path) {
    const std::optional<std::string> parts = PartsBelowRoot(path);
    if (!seen.insert(parts ? *parts : path).second) return;
    if (CopyFor(path)) {
      chosen.paths.push_back(path);
    } else {
      ++chosen.passedOver;
    }
  };
  for (const std::string& entry : entries) {
    if (!folder || LiesUnder(entry, *folder)) take(entry);
  }
  for (const std::string& path : StoredPathsUnder(m_store, folder ? *folder : std::string()))
    take(path);
  return chosen;
}

void PrintPassedOver(const CliStreams& io, std::size_t passedOver, std::int64_t asOf) {
  if (passedOver == 0) return;
  Print(io.err, "quillmar: " + std::to_string(passedOver) +
                    (passedOver == 1 ? " path has" : " paths have") +
                    " no copy taken at or before " + VersionTimeText(asOf) + " UTC: left as " +
                    (passedOver == 1 ? "it is" : "they are") + "\n");
}
