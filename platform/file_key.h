// A key for the file a name leads to, whatever its other names: its device and its index there
// (the inode, or the volume's file index on Windows). Two names with one key are one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct FileKey {
  std::uint64_t device;
  std::uint64_t index;
  bool operator==(const FileKey&) const = default;
};

struct FileKeyHash {
  std::size_t operator()(const FileKey& key) const {
    return std::hash<std::uint64_t>()(key.index * 0x9E3779B97F4A7C15ull ^ key.device);
  }
};
