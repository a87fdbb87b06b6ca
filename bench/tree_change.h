// Changes one file in a hundred of a tree, the same files for the same round on every machine,
// and remembers what they held before, so that a store's versions can be checked against it.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

struct ChangedFile {
  std::string relativePath;  // from the tree's top folder, '/'-separated
  std::uint64_t previousSize = 0;
  std::uint64_t previousDigest = 0;  // DigestFile of the contents before the change
};

// FNV-1a (64 bits) of the file's bytes, and its size.
std::error_code DigestFile(const std::string& path, std::uint64_t& digest, std::uint64_t& size);

// One regular file in a hundred below tree, rounded up and at least one: of the relative paths
// sorted, every hundredth, starting at an offset set by round so that rounds pick other files.
// Notes each one's size and digest.
std::error_code PickFilesToChange(const std::string& tree, int round,
                                  std::vector<ChangedFile>& picked);

// Rewrites each file in place with every byte inverted and one byte added, so that its contents
// and its size both differ from what was noted (an empty file gets its first byte).
std::error_code ChangeFiles(const std::string& tree, const std::vector<ChangedFile>& files);
