// Deterministic generator of the directory trees the benchmark walks: one seed gives the same
// folders, names, sizes and bytes on every machine and with every standard library.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

// What a tree looks like. Folders hang below the top folder at random, no deeper than
// maxDepth levels; files are spread at random over the top folder and all sub-folders.
struct TreeShape {
  std::string name;  // a short label, also the tree's folder name
  std::uint32_t folders = 0;
  std::uint32_t maxDepth = 0;
  std::uint32_t files = 0;
  std::uint64_t minSize = 0;  // bytes, inclusive
  std::uint64_t maxSize = 0;  // bytes, inclusive
  // Exactly floor(files * txtNumerator / txtDenominator) files are named *.txt.
  std::uint32_t txtNumerator = 1;
  std::uint32_t txtDenominator = 3;
};

// About 20,000 files of 0..64 KiB in 1,000 folders up to 6 levels deep, a third of them .txt.
TreeShape ManySmallFilesShape();
// The same mix scaled down to 2,000 files in 100 folders, for the memory comparison.
TreeShape FewSmallFilesShape();
// 40 files of 16 MiB each in the top folder, half of them .txt.
TreeShape LargeFilesShape();
// 50,000 small files in one folder, a third of them .txt.
TreeShape WideFlatShape();

inline constexpr std::uint64_t kDefaultTreeSeed = 0x71756C6D61723035ull;

struct PlannedFile {
  std::string relativePath;  // from the top folder, '/'-separated, no leading separator
  std::uint64_t size = 0;
  std::uint64_t contentOffset = 0;  // where its bytes start in the tree's content pool
  bool txt = false;
};

// Every folder (parents before children, relative paths) and every file of a tree. File names
// are unique across the whole tree, so copies gathered into one folder never collide.
struct TreePlan {
  std::vector<std::string> folders;
  std::vector<std::uint32_t> folderDepths;  // 1 for a folder directly below the top
  std::vector<PlannedFile> files;
  std::uint64_t poolSize = 0;
};

TreePlan PlanTree(const TreeShape& shape, std::uint64_t seed = kDefaultTreeSeed);

// The bytes files draw their content from: pseudo-random, never long runs of zeros, so no
// file system can store them sparsely.
std::vector<unsigned char> MakeContentPool(std::uint64_t size, std::uint64_t seed);

// Creates root (which must not exist yet) and writes the plan below it. Stops at the first
// failure and returns it; whatever was written until then stays.
std::error_code WriteTree(const TreePlan& plan, const std::string& root,
                          std::uint64_t seed = kDefaultTreeSeed);

// A line that changes whenever the plan of shape would change; stored beside a finished tree
// so that a later run can reuse it.
std::string DescribeShape(const TreeShape& shape, std::uint64_t seed = kDefaultTreeSeed);
