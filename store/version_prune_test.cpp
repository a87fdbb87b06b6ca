// Tests of pruning versions: which ones each rule lets go, per path, and that nothing but
// versions is ever removed.
#include "store/version_prune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/path_parts.h"
#include "platform/test_support/temp_folder.h"
#include "store/store_layout.h"

namespace {

std::vector<Version> Made(const std::string& folder, const std::string& fileName,
                          const std::vector<std::int64_t>& times) {
  std::vector<Version> versions;
  for (std::int64_t time : times) {
    const std::string stem = fileName.substr(0, fileName.find('.'));
    const std::string name =
        stem + " (" + VersionTimeText(time) + " UTC)" + fileName.substr(fileName.find('.'));
    versions.push_back({folder + kPathSeparator + name, time, 1, 1});
  }
  return versions;
}

std::vector<std::int64_t> Times(const std::vector<Version>& versions) {
  std::vector<std::int64_t> times;
  for (const Version& version : versions) times.push_back(version.takenAt);
  std::sort(times.begin(), times.end());
  return times;
}

TEST(VersionsToPruneTest, EachRuleKeepsWhatItKeepsPathByPath) {
  const std::int64_t day = 86400;
  const std::int64_t now = 100 * day;
  std::vector<Version> all = Made("v/a", "x.txt", {10 * day, 90 * day, 99 * day, 50 * day});
  for (Version& other : Made("v/b", "x.txt", {20 * day})) all.push_back(other);
  EXPECT_TRUE(VersionsToPrune(all, {}, now).empty());
  // The newest of each path stays, whatever its folder holds besides.
  EXPECT_EQ(Times(VersionsToPrune(all, {1, std::nullopt}, now)),
            (std::vector<std::int64_t>{10 * day, 50 * day, 90 * day}));
  EXPECT_EQ(Times(VersionsToPrune(all, {std::nullopt, 30 * day}, now)),
            (std::vector<std::int64_t>{10 * day, 20 * day, 50 * day}));
  // Both: only what neither keeps.
  EXPECT_EQ(Times(VersionsToPrune(all, {3, 30 * day}, now)), (std::vector<std::int64_t>{10 * day}));
  EXPECT_TRUE(VersionsToPrune(all, {0, 200 * day}, now).empty());
}

TEST(PruneVersionsTest, OnlyVersionsGoAndADryRunRemovesNothing) {
  TempFolder folder;
  folder.MakeDir("store");
  const std::string store = folder.Path("store") + kPathSeparator;
  folder.MakeDir("data");
  const std::string entry = folder.Path("data") + kPathSeparator + "a.txt";
  folder.Write("data/a.txt", "12345");
  for (std::int64_t time : {1000, 2000, 3000})
    ASSERT_FALSE(KeepAsVersion(store, entry, entry, time));
  // A file in the versions tree that is no version, the list and an own copy stay.
  const std::string odd =
      FolderPart(*VersionPathIn(store, entry, 0)) + kPathSeparator + "notes.txt";
  std::ofstream(odd) << "mine";
  folder.Write("store/list.txt", entry + ";");

  const PruneResult dry = PruneVersions(store, {1, std::nullopt}, 4000, /*dryRun=*/true);
  EXPECT_EQ(dry.removed.size(), 2u);
  EXPECT_EQ(VersionsOf(store, entry).size(), 3u);

  const PruneResult done = PruneVersions(store, {1, std::nullopt}, 4000, /*dryRun=*/false);
  EXPECT_FALSE(done.failure);
  EXPECT_EQ(Times(done.removed), (std::vector<std::int64_t>{1000, 2000}));
  const std::vector<Version> left = VersionsOf(store, entry);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].takenAt, 3000);
  EXPECT_TRUE(std::filesystem::exists(odd));
  EXPECT_EQ(TempFolder::Read(folder.Path("store/list.txt")), entry + ";");
  // The two removed were further names of the data file, which still has its own: nothing freed.
  EXPECT_EQ(done.bytesFreed, 0u);
}

}  // namespace
