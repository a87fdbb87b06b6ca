// Counting what a tree holds is how the benchmark checks every tool did the whole job.
#include "bench/tree_census.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/test_support/temp_folder.h"

namespace {

void Write(const std::string& path, std::size_t bytes, char fill = 'a') {
  std::ofstream(path, std::ios::binary) << std::string(bytes, fill);
}

TEST(CensusTree, CountsRegularFilesAtEveryDepthWithoutFollowingLinks) {
  TempFolder temp;
  const std::string& root = temp.Path();
  ASSERT_FALSE(root.empty());
  std::filesystem::create_directories(root + "/a/b/c");
  std::filesystem::create_directories(root + "/d");
  Write(root + "/top.txt", 10);
  Write(root + "/top.dat", 20);
  Write(root + "/a/b/c/deep.txt", 300);
  Write(root + "/a/x.txt.old", 4000);
  Write(root + "/d/y.TXT", 50000);
  ASSERT_EQ(::symlink((root + "/a").c_str(), (root + "/d/loop").c_str()), 0);
  ASSERT_EQ(::symlink((root + "/top.txt").c_str(), (root + "/d/link.txt").c_str()), 0);

  TreeCensus census;
  ASSERT_FALSE(CensusTree(root, census));
  EXPECT_EQ(census.folders, 4u);
  EXPECT_EQ(census.all.files, 5u);
  EXPECT_EQ(census.all.bytes, 10u + 20 + 300 + 4000 + 50000);
  EXPECT_EQ(census.txt.files, 2u);
  EXPECT_EQ(census.txt.bytes, 310u);

  TreeCensus missing;
  EXPECT_TRUE(CensusTree(root + "/nothing-here", missing));
}

TEST(TallyFolder, OneFolderOnlyAndBySuffix) {
  TempFolder temp;
  const std::string& root = temp.Path();
  ASSERT_FALSE(root.empty());
  std::filesystem::create_directories(root + "/sub");
  Write(root + "/a.txtBACKUP", 5);
  Write(root + "/b.cBACKUP", 7);
  Write(root + "/list.txt", 11);
  Write(root + "/sub/c.txtBACKUP", 13);

  FileTally backups;
  ASSERT_FALSE(TallyFolder(root, "BACKUP", backups));
  EXPECT_EQ(backups.files, 2u);
  EXPECT_EQ(backups.bytes, 12u);
  FileTally all;
  ASSERT_FALSE(TallyFolder(root, "", all));
  EXPECT_EQ(all.files, 3u);
  EXPECT_EQ(all.bytes, 23u);
}

TEST(CountRecords, CountsSeparatorsAcrossReadBlocks) {
  TempFolder temp;
  const std::string path = temp.Path() + "/list.txt";
  std::string text;
  std::uint64_t expected = 0;
  for (int i = 0; i < 30000; ++i) {
    text += "/p/" + std::to_string(i) + ";";
    ++expected;
  }
  ASSERT_GT(text.size(), 1u << 17);
  std::ofstream(path, std::ios::binary) << text;
  std::uint64_t records = 0;
  ASSERT_FALSE(CountRecords(path, records));
  EXPECT_EQ(records, expected);
  EXPECT_TRUE(CountRecords(temp.Path() + "/missing", records));
}

TEST(RemoveTree, RemovesEverythingAndAcceptsAMissingPath) {
  TempFolder temp;
  const std::string folder = temp.Path() + "/f";
  std::filesystem::create_directories(folder + "/g/h");
  Write(folder + "/g/h/file", 3);
  EXPECT_FALSE(EmptyFolder(folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_FALSE(RemoveTree(folder));
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_FALSE(RemoveTree(folder));
}

}  // namespace
