// Tests of finding paths by their copies in the store: which paths lie under a folder, and
// the copies of each read a folder at a time, as CopiesOf reads them a path at a time.
#include "store/stored_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "store/store_layout.h"

namespace {

const std::string kSep(1, kPathSeparator);

class StoredPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("store");
    folder.MakeDir("data/sub");
    store = folder.Path("store") + kSep;
  }
  std::string Data(const std::string& relative) const { return folder.Path("data/" + relative); }
  // An own copy of path holding contents, noted as taken at takenAt.
  void OwnCopy(const std::string& path, const std::string& contents, std::int64_t takenAt) {
    const std::string own = *OwnCopyPathIn(store, path);
    std::filesystem::create_directories(std::filesystem::path(own).parent_path());
    std::ofstream(own, std::ios::binary) << contents;
    AttachFileNote(own.c_str(), {kTakenNoteName, TakenNoteText({"stamp", takenAt})});
  }
  // A version of path holding contents, kept at takenAt.
  void KeptVersion(const std::string& path, const std::string& contents, std::int64_t takenAt) {
    folder.Write("scratch", contents);
    ASSERT_FALSE(KeepAsVersion(store, folder.Path("scratch"), path, takenAt));
    std::filesystem::remove(folder.Path("scratch"));
  }

  TempFolder folder;
  std::string store;
};

TEST_F(StoredPathsTest, PathsAreFoundByTheirOwnCopiesAndByVersionsAlone) {
  OwnCopy(Data("a.log"), "a", 1000);
  KeptVersion(Data("a.log"), "older a", 500);
  // Only versions are left of these: their own copies went with a restore or by hand.
  KeptVersion(Data("sub/b (1).txt"), "b", 700);
  KeptVersion(Data("sub/.bashrc"), "rc", 800);
  OwnCopy(Data("sub/c"), "c", 900);
  OwnCopy(folder.Path("elsewhere.txt"), "e", 900);
  // A name in the versions tree that is not a version's names no path.
  std::ofstream(FolderPart(*VersionPathIn(store, Data("a.log"), 0)) + kSep + "stray.txt") << "x";

  const std::vector<std::string> data = {Data("a.log"), Data("sub/.bashrc"), Data("sub/b (1).txt"),
                                         Data("sub/c")};
  EXPECT_EQ(StoredPathsUnder(store, *PartsBelowRoot(folder.Path("data"))), data);
  EXPECT_EQ(StoredPathsUnder(store, *PartsBelowRoot(Data("sub"))),
            (std::vector<std::string>(data.begin() + 1, data.end())));
  std::vector<std::string> all = data;
  all.push_back(folder.Path("elsewhere.txt"));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(StoredPathsUnder(store, ""), all);
  EXPECT_TRUE(StoredPathsUnder(store, *PartsBelowRoot(Data("none"))).empty());
  EXPECT_TRUE(StoredPathsUnder(folder.Path("no store") + kSep, "").empty());
}

TEST_F(StoredPathsTest, CopiesReadAFolderAtATimeAreThoseOfEachPathAlone) {
  OwnCopy(Data("a.log"), "latest a", 3000);
  for (const std::int64_t time : {1000, 2000, 2000})
    KeptVersion(Data("a.log"), "a@" + std::to_string(time), time);
  KeptVersion(Data("sub/b.txt"), "b", 1500);
  OwnCopy(Data("sub/c.txt"), "c", 1600);
  // Asked for in turns across two folders, and for paths without a copy, as a list may hold.
  StoredCopies copies(store);
  for (const char* relative :
       {"a.log", "sub/b.txt", "a.log", "sub/c.txt", "never.log", "sub/never.txt", "sub/b.txt"}) {
    SCOPED_TRACE(relative);
    const std::vector<Version> expected = CopiesOf(store, Data(relative));
    const std::vector<Version>& got = copies.Of(Data(relative));
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].path, expected[i].path);
      EXPECT_EQ(got[i].takenAt, expected[i].takenAt);
      EXPECT_EQ(got[i].sequence, expected[i].sequence);
      EXPECT_EQ(got[i].size, expected[i].size);
      EXPECT_EQ(got[i].ownCopy, expected[i].ownCopy);
      EXPECT_EQ(got[i].timeKnown, expected[i].timeKnown);
    }
  }
  EXPECT_EQ(copies.Of(Data("a.log")).size(), 4u);
  EXPECT_TRUE(copies.Of("relative" + kSep + "a.log").empty());
}

}  // namespace
