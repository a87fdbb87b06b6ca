// What a store's copies take on disk: each file once, however many names it has, since a
// path's own copy, the shared copy of its name and a version may all be one file.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

struct StoreSize {
  std::uint64_t files = 0;  // distinct files (inodes) among the copies
  std::uint64_t names = 0;  // their names, a file with several names counted for each
  std::uint64_t bytes = 0;  // the distinct files' sizes added up
};

// Regular files below backups (links not followed), at any depth, but for the restoration
// list and the unprotected report at its top: those are records, not copies. On failure
// returns the error; size then holds what was counted until then.
std::error_code MeasureStore(const std::string& backups, StoreSize& size);
