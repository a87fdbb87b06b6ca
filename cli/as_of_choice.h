// What `quillmar restore --as-of TIME` restores: for each path, the newest of its copies taken
// at or before TIME, and with --under FOLDER or --all, every path the list or the store knows
// there, so that a path whose entry has left the list (restored once, or the list lost) comes
// back too, from its copies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_io.h"
#include "store/stored_paths.h"

class AsOfChoice {
 public:
  AsOfChoice(const std::string& store, std::int64_t asOf)
      : m_asOf(asOf), m_copies(store), m_store(store) {}

  std::int64_t Time() const { return m_asOf; }
  // The newest copy of path taken at or before the time; nothing when it has none.
  std::optional<std::string> CopyFor(std::string_view path);

  struct Paths {
    std::vector<std::string> paths;
    // Paths there that have copies (or entries in the list), but none taken by then.
    std::size_t passedOver = 0;
  };
  // The paths in folder or below it (as UnderFolder gives it; every path without one) that
  // have a copy taken by then: first the entries of the list, in its order, then the paths
  // that only the store holds copies of, in the order of their parts. Each path once,
  // doubled separators counting as one; an entry of the list keeps its own spelling, so
  // that restoring it takes it off the list.
  Paths PathsUnder(const std::vector<std::string>& entries,
                   const std::optional<std::string>& folder);

 private:
  std::int64_t m_asOf;
  StoredCopies m_copies;
  std::string m_store;
};

// Says on standard error how many paths PathsUnder passed over, when any: they are left as
// they are, and that is no failure, since they had no copy at that time.
void PrintPassedOver(const CliStreams& io, std::size_t passedOver, std::int64_t asOf);
