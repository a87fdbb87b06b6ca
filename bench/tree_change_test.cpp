// The files changed must be the same for the same round, one in a hundred, truly changed, and
// what they held before must be known exactly.
#include "bench/tree_change.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "platform/test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// files files of 0..9 bytes, spread over three folders.
void MakeTree(const std::string& root, int files) {
  for (int i = 0; i < files; ++i) {
    const std::string folder = root + "/d" + std::to_string(i % 3);
    fs::create_directories(folder);
    std::ofstream(folder + "/f" + std::to_string(i), std::ios::binary)
        << std::string(static_cast<std::size_t>(i % 10), static_cast<char>('a' + i % 26));
  }
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DigestFile, TellsContentsApartAndGivesTheSize) {
  TempFolder temp;
  const std::string a = temp.Path() + "/a";
  const std::string b = temp.Path() + "/b";
  std::ofstream(a, std::ios::binary) << "abc";
  std::ofstream(b, std::ios::binary) << "abd";
  std::uint64_t digestA = 0, digestB = 0, size = 0;
  ASSERT_FALSE(DigestFile(a, digestA, size));
  EXPECT_EQ(size, 3u);
  // FNV-1a of "abc", as published for the 64-bit variant.
  EXPECT_EQ(digestA, 0xe71fa2190541574bull);
  ASSERT_FALSE(DigestFile(b, digestB, size));
  EXPECT_NE(digestA, digestB);
  EXPECT_TRUE(DigestFile(temp.Path() + "/missing", digestA, size));
}

TEST(PickFilesToChange, OneInAHundredTheSameForARoundAndOthersForTheNext) {
  TempFolder temp;
  const std::string tree = temp.Path() + "/tree";
  MakeTree(tree, 250);

  std::vector<ChangedFile> first, again, next;
  ASSERT_FALSE(PickFilesToChange(tree, 1, first));
  ASSERT_FALSE(PickFilesToChange(tree, 1, again));
  ASSERT_FALSE(PickFilesToChange(tree, 2, next));
  ASSERT_EQ(first.size(), 3u);  // 1 % of 250, rounded up
  ASSERT_EQ(again.size(), first.size());
  std::set<std::string> distinct;
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].relativePath, again[i].relativePath);
    distinct.insert(first[i].relativePath);
    std::uint64_t digest = 0, size = 0;
    ASSERT_FALSE(DigestFile(tree + "/" + first[i].relativePath, digest, size));
    EXPECT_EQ(first[i].previousDigest, digest);
    EXPECT_EQ(first[i].previousSize, size);
  }
  EXPECT_EQ(distinct.size(), first.size());
  for (const ChangedFile& file : next) EXPECT_EQ(distinct.count(file.relativePath), 0u);

  // A tree of fewer than a hundred files still has one changed.
  const std::string small = temp.Path() + "/small";
  MakeTree(small, 5);
  ASSERT_FALSE(PickFilesToChange(small, 7, first));
  EXPECT_EQ(first.size(), 1u);
}

TEST(ChangeFiles, ChangesThePickedFilesAndNoOther) {
  TempFolder temp;
  const std::string tree = temp.Path() + "/tree";
  MakeTree(tree, 300);
  std::vector<ChangedFile> picked;
  ASSERT_FALSE(PickFilesToChange(tree, 0, picked));
  ASSERT_EQ(picked.size(), 3u);
  // The first of the sorted paths is d0/f0, which is empty.
  EXPECT_EQ(picked[0].relativePath, "d0/f0");
  std::map<std::string, std::string> before;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (entry.is_regular_file()) before[entry.path().string()] = Contents(entry.path().string());
  }

  ASSERT_FALSE(ChangeFiles(tree, picked));
  std::set<std::string> changed;
  for (const ChangedFile& file : picked) {
    const std::string path = tree + "/" + file.relativePath;
    changed.insert(path);
    const std::string now = Contents(path);
    EXPECT_EQ(now.size(), file.previousSize + 1) << path;
    std::uint64_t digest = 0, size = 0;
    ASSERT_FALSE(DigestFile(path, digest, size));
    EXPECT_NE(digest, file.previousDigest) << path;
  }
  for (const auto& [path, contents] : before) {
    if (changed.count(path) == 0) {
      EXPECT_EQ(Contents(path), contents) << path;
    }
  }
  EXPECT_TRUE(ChangeFiles(tree, {ChangedFile{"missing", 0, 0}}));
}

TEST(ChangeFiles, InvertsEveryByteOfFilesLongerThanItsBlock) {
  TempFolder temp;
  // Exactly two blocks of 64 KiB, and three and a bit.
  for (const std::size_t size : {std::size_t{128} * 1024, std::size_t{200} * 1024 + 7}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
    const std::string name = "big" + std::to_string(size);
    std::ofstream(temp.Path() + "/" + name, std::ios::binary) << bytes;
    ChangedFile file{name};
    ASSERT_FALSE(DigestFile(temp.Path() + "/" + name, file.previousDigest, file.previousSize));
    EXPECT_EQ(file.previousSize, size);

    ASSERT_FALSE(ChangeFiles(temp.Path(), {file}));
    std::string expected = bytes;
    for (char& byte : expected) byte = static_cast<char>(~byte);
    expected.push_back('\n');
    EXPECT_EQ(Contents(temp.Path() + "/" + name), expected) << size;
  }
}

}  // namespace
