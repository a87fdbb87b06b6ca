// Untimed look-ups on the benchmark's folders: what a tree holds, what a run left behind, and
// clearing a folder between runs.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

struct FileTally {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};

// Regular files below root, at any depth (links are not followed), all of them and those
// whose name ends with ".txt".
struct TreeCensus {
  FileTally all;
  FileTally txt;
  std::uint64_t folders = 0;  // below root, root itself not counted
};

// On failure returns the error; census then holds what was counted until then.
std::error_code CensusTree(const std::string& root, TreeCensus& census);

// Regular files directly in folder whose name ends with suffix (every file when it is empty).
std::error_code TallyFolder(const std::string& folder, const std::string& suffix, FileTally& tally);

// Number of ';' bytes in the file: the records of a restoration list.
std::error_code CountRecords(const std::string& path, std::uint64_t& records);

// Removes path and everything below it; a missing path is not an error.
std::error_code RemoveTree(const std::string& path);
// Leaves folder existing and empty.
std::error_code EmptyFolder(const std::string& folder);
