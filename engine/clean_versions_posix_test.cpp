// Tests of what a clean does with a path it has copied before: an unchanged file is recorded
// without being copied again, and a changed one replaces its own copy, which is kept as a
// version of the path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "engine/test_tree.h"
#include "platform/injected_failures.h"
#include "store/versions.h"

namespace {

using test_tree::Records;

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

class CleanVersionsTest : public test_tree::EngineTest {
 protected:
  void Clean() {
    ASSERT_EQ(WalkFolder(tree.Path("D").c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS),
              WALK_DONE);
  }
  std::string Store() const { return tree.Path("prog/backups/"); }
  std::string OwnCopy(const std::string& relative) const {
    return tree.Path("prog/backups/paths") + tree.Path("D/" + relative);
  }
  ino_t Inode(const std::string& path) const {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
  }
  std::vector<std::string> VersionContents(const std::string& relative) const {
    std::vector<std::string> contents;
    for (const Version& version : VersionsOf(Store(), tree.Path("D/" + relative))) {
      contents.push_back(test_tree::TempTree::ReadPath(version.path));
    }
    return contents;
  }
};

TEST_F(CleanVersionsTest, EachCleanOfAChangedFileKeepsTheCopyItReplaces) {
  tree.MakeDir("D");
  for (const char* contents : {"first", "second!", "third, longer"}) {
    tree.Write("D/a.log", contents);
    Clean();
  }
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a.log")), "third, longer");
  EXPECT_EQ(VersionContents("a.log"), (std::vector<std::string>{"second!", "first"}));
  EXPECT_EQ(Records(List()).size(), 3u);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(CleanVersionsTest, AnUnchangedTreeIsRecordedAgainWithoutACopy) {
  tree.MakeDir("D");
  tree.MakeDir("D/sub");
  for (int i = 0; i < 20; ++i) tree.Write("D/sub/f" + std::to_string(i), std::to_string(i));
  Clean();
  std::vector<ino_t> first;
  for (int i = 0; i < 20; ++i) first.push_back(Inode(OwnCopy("sub/f" + std::to_string(i))));
  for (int again = 0; again < 2; ++again) Clean();
  // A copy would be a new file: every own copy is still the first clean's.
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(Inode(OwnCopy("sub/f" + std::to_string(i))), first[i]) << i;
    EXPECT_EQ(tree.Read("prog/backups/f" + std::to_string(i) + "BACKUP"), std::to_string(i));
  }
  EXPECT_FALSE(tree.Exists("prog/backups/versions"));
  EXPECT_EQ(Records(List()).size(), 60u);
  EXPECT_TRUE(Texts().empty());
}

std::int32_t StopAfterFourFiles(const char*, const FindData* data, std::int32_t) {
  static int files = 0;
  if ((data->dwFileAttributes & kFolderAttribute) != 0) return 1;
  return ++files % 4 != 0;
}

TEST_F(CleanVersionsTest, RecordsKeepTheWalksOrderWhetherCopiedOrNotAndAStopLosesNone) {
  for (const char* folder : {"D", "D/s", "D/t"}) tree.MakeDir(folder);
  for (const char* file : {"D/a", "D/s/b", "D/s/c", "D/t/d", "D/t/e", "D/f"}) {
    tree.Write(file, file);
  }
  Clean();
  const std::vector<std::string> first = Records(List());
  ASSERT_EQ(first.size(), 6u);
  // One file changed among unchanged ones, in another folder than some of them.
  tree.Write("D/s/c", "changed");
  Clean();
  std::vector<std::string> records = Records(List());
  EXPECT_EQ(std::vector<std::string>(records.begin() + 6, records.end()), first);
  EXPECT_EQ(VersionContents("s/c"), std::vector<std::string>{"D/s/c"});

  // Stopped after four files, every one of them is recorded, copied or not.
  tree.Write("D/t/d", "changed too");
  ASSERT_EQ(
      WalkFolder(tree.Path("D").c_str(), "*", StopAfterFourFiles, 0, WALK_FILES | WALK_FOLDERS),
      WALK_STOPPED);
  records = Records(List());
  EXPECT_EQ(std::vector<std::string>(records.begin() + 12, records.end()),
            std::vector<std::string>(first.begin(), first.begin() + 4));
}

TEST_F(CleanVersionsTest, InALargeFolderEveryChangedFileIsCopiedAndNoUnchangedOne) {
  // Enough files that the notes of the later ones are read ahead of the walk.
  constexpr int kFiles = 150;
  tree.MakeDir("D");
  auto name = [](int i) { return "f" + std::to_string(i); };
  for (int i = 0; i < kFiles; ++i) tree.Write("D/" + name(i), "first " + name(i));
  Clean();
  std::vector<ino_t> first;
  for (int i = 0; i < kFiles; ++i) first.push_back(Inode(OwnCopy(name(i))));
  for (int i = 0; i < kFiles; i += 7) tree.Write("D/" + name(i), "second " + name(i));
  Clean();
  for (int i = 0; i < kFiles; ++i) {
    SCOPED_TRACE(name(i));
    const bool changed = i % 7 == 0;
    EXPECT_EQ(Inode(OwnCopy(name(i))) == first[i], !changed);
    EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/" + name(i))),
              (changed ? "second " : "first ") + name(i));
    EXPECT_EQ(VersionContents(name(i)),
              changed ? std::vector<std::string>{"first " + name(i)} : std::vector<std::string>{});
  }
}

TEST_F(CleanVersionsTest, AFileWhoseModificationTimeWasPutBackIsStillCopiedAgain) {
  tree.MakeDir("D");
  tree.Write("D/a.log", "old text");
  struct stat before {};
  ASSERT_EQ(::stat(tree.Path("D/a.log").c_str(), &before), 0);
  Clean();
  // Same size, and the modification time put back as `touch -d` would.
  tree.Write("D/a.log", "new text");
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, tree.Path("D/a.log").c_str(), times, 0), 0);
  Clean();
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a.log")), "new text");
  EXPECT_EQ(VersionContents("a.log"), std::vector<std::string>{"old text"});
}

TEST_F(CleanVersionsTest, WithoutNotesTheContentsTellWhetherAFileChanged) {
  // A file system that keeps no notes (FAT, a network share): no stamp goes with the copies.
  const ScopedFailure noNotes(FileCall::kNote,
                              std::make_error_code(std::errc::operation_not_supported));
  tree.MakeDir("D");
  tree.Write("D/same.txt", "unchanged");
  tree.Write("D/a.log", "before");
  Clean();
  const ino_t same = Inode(OwnCopy("same.txt"));
  tree.Write("D/a.log", "after!");
  Clean();
  EXPECT_EQ(Inode(OwnCopy("same.txt")), same);
  EXPECT_TRUE(VersionContents("same.txt").empty());
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a.log")), "after!");
  EXPECT_EQ(VersionContents("a.log"), std::vector<std::string>{"before"});
}

// Between the first and the second file of the folder D/sub, puts an empty folder in the place
// of the folder holding their own copies, once the notes of those copies have had time to be
// read ahead of the walk.
std::string ownCopiesFolder;
std::int32_t ReplaceOwnCopiesFolderOnce(const char*, const FindData* data, std::int32_t) {
  static bool replaced = false;
  if ((data->dwFileAttributes & kFolderAttribute) != 0 || replaced) return 1;
  replaced = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(std::rename(ownCopiesFolder.c_str(), (ownCopiesFolder + ".gone").c_str()), 0);
  EXPECT_EQ(::mkdir(ownCopiesFolder.c_str(), 0700), 0);
  return 1;
}

TEST_F(CleanVersionsTest, OwnCopiesWhoseFolderWasReplacedDuringTheCleanAreCopiedAgain) {
  tree.MakeDir("D");
  tree.MakeDir("D/sub");
  for (int i = 0; i < 5; ++i) tree.Write("D/sub/f" + std::to_string(i), std::to_string(i));
  Clean();
  ownCopiesFolder = tree.Path("prog/backups/paths") + tree.Path("D/sub");
  ASSERT_EQ(WalkFolder(tree.Path("D").c_str(), "*", ReplaceOwnCopiesFolderOnce, 0,
                       WALK_FILES | WALK_FOLDERS),
            WALK_DONE);
  // Whichever file the walk was at, every one after it has its own copy again.
  int copies = 0;
  for (int i = 0; i < 5; ++i)
    copies += tree.Exists("prog/backups/paths" + tree.Path("D/sub/f" + std::to_string(i)));
  EXPECT_GE(copies, 4);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(CleanVersionsTest, ALinkInAnOwnCopysPlaceIsNotTakenForTheCopy) {
  tree.MakeDir("D");
  tree.Write("D/a.txt", "the file");
  Clean();
  // The own copy, note and all, moved aside and given other contents, and a link to it in
  // its place: the note it carries matches the file, but it is not the file's copy.
  const std::string own = OwnCopy("a.txt");
  const std::string decoy = tree.Path("decoy");
  ASSERT_EQ(std::rename(own.c_str(), decoy.c_str()), 0);
  tree.Write("decoy", "other contents");
  ASSERT_EQ(::symlink(decoy.c_str(), own.c_str()), 0);
  Clean();
  struct stat st {};
  ASSERT_EQ(::lstat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(test_tree::TempTree::ReadPath(own), "the file");
  EXPECT_EQ(tree.Read("decoy"), "other contents");
}

}  // namespace
