// Tests of what a restore brings back of links and of the names of one file, from copies the
// store's own copier made of a real tree: a link comes back as the same link (dangling or not,
// with the question before replacing what has its name), and the names of one file come back
// as one file only when a batch restores them together.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/test_support/temp_folder.h"
#include "store/entry_restore.h"
#include "store/restore_batch.h"
#include "store/store_copy.h"
#include "store/versions.h"

namespace {

class Conversation : public RestoreConversation {
 public:
  bool RestoreFromOtherOrigin(const std::string&, const std::string&) override { return true; }
  bool Overwrite(const std::string& entry) override {
    overwriteAsked.push_back(entry);
    return overwrite;
  }
  bool DropEntry(const std::string&) override { return true; }

  bool overwrite = true;
  std::vector<std::string> overwriteAsked;
};

class LinkRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("backups");
    folder.MakeDir("data/sub");
    store = folder.Path("backups") + "/";
    list.Loaded(folder.Path("backups/list.txt"), "");
  }
  std::string Data(const std::string& relative) const { return folder.Path("data/" + relative); }
  void Link(const std::string& target, const std::string& relative) const {
    ASSERT_EQ(::symlink(target.c_str(), Data(relative).c_str()), 0) << relative;
  }
  // Copies each path into the store as one clean does.
  void Clean(const std::vector<std::string>& relatives) {
    StoreCopier copier(store);
    for (const std::string& relative : relatives) {
      const StoreCopyOutcome outcome = copier.Copy(Data(relative).c_str());
      ASSERT_EQ(outcome.result, StoreCopyResult::kOwnCopy) << relative << ": "
                                                           << outcome.error.message();
    }
  }
  std::string Target(const std::string& relative) const {
    char target[4096];
    const ssize_t n = ::readlink(Data(relative).c_str(), target, sizeof target);
    return n < 0 ? "(not a link)" : std::string(target, static_cast<std::size_t>(n));
  }
  struct stat Look(const std::string& relative) const {
    struct stat st = {};
    EXPECT_EQ(::lstat(Data(relative).c_str(), &st), 0) << relative;
    return st;
  }

  TempFolder folder;
  std::string store;
  ListOnDisk list;
  Conversation conversation;
};

TEST_F(LinkRestoreTest, LinksComeBackAsTheSameLinksWithTheirOwnTimes) {
  folder.Write("data/sub/s", "s");
  Link("sub", "to-sub");
  Link("sub/s", "to-file");
  Link("gone/for good", "dangling");
  Link("../../outside", "leaving");
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Data("dangling").c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  Clean({"to-sub", "to-file", "dangling", "leaving"});
  std::filesystem::remove_all(Data(""));

  for (const char* entry : {"to-sub", "to-file", "dangling", "leaving"}) {
    const RestoreOutcome outcome = RestoreEntry(store, Data(entry), list, conversation);
    EXPECT_EQ(outcome.result, RestoreResult::kRestored) << entry << outcome.error.message();
    EXPECT_TRUE(S_ISLNK(Look(entry).st_mode)) << entry;
  }
  EXPECT_EQ(Target("to-sub"), "sub");
  EXPECT_EQ(Target("to-file"), "sub/s");
  EXPECT_EQ(Target("dangling"), "gone/for good");
  EXPECT_EQ(Target("leaving"), "../../outside");
  EXPECT_EQ(Look("dangling").st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(Look("dangling").st_mtim.tv_nsec, 123456789);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("outside")));
  EXPECT_TRUE(conversation.overwriteAsked.empty());
}

TEST_F(LinkRestoreTest, ALinkAsksBeforeReplacingWhatHasItsNameAndKeepsIt) {
  Link("first", "l");
  Clean({"l"});
  ASSERT_EQ(::unlink(Data("l").c_str()), 0);
  folder.Write("data/l", "the user's newer file");

  conversation.overwrite = false;
  EXPECT_EQ(RestoreEntry(store, Data("l"), list, conversation).result, RestoreResult::kDeclined);
  EXPECT_EQ(TempFolder::Read(Data("l")), "the user's newer file");

  conversation.overwrite = true;
  const RestoreOutcome outcome = RestoreEntry(store, Data("l"), list, conversation);
  EXPECT_EQ(outcome.result, RestoreResult::kRestoredOverwriting) << outcome.error.message();
  EXPECT_EQ(Target("l"), "first");
  EXPECT_EQ(conversation.overwriteAsked, (std::vector<std::string>{Data("l"), Data("l")}));
  EXPECT_EQ(TempFolder::Read(outcome.keptVersion), "the user's newer file");
}

TEST_F(LinkRestoreTest, AFileBehindALinkThatLeadsNowhereGoesWhereTheLinkLeads) {
  folder.Write("data/sub/s", "through the link");
  Link("sub", "to-sub");
  {
    StoreCopier copier(store);
    ASSERT_EQ(copier.Copy(Data("to-sub").c_str()).result, StoreCopyResult::kOwnCopy);
    ASSERT_EQ(copier.Copy((Data("to-sub") + "//s").c_str()).result, StoreCopyResult::kOwnCopy);
  }
  std::filesystem::remove_all(Data(""));
  RestoreBatch batch(store, list, conversation);
  EXPECT_EQ(batch.Restore(Data("to-sub")).result, RestoreResult::kRestored);
  const RestoreOutcome file = batch.Restore(Data("to-sub") + "//s");
  EXPECT_EQ(file.result, RestoreResult::kRestored) << file.error.message();
  batch.Finish();
  EXPECT_EQ(Target("to-sub"), "sub");
  EXPECT_TRUE(S_ISDIR(Look("sub").st_mode));
  EXPECT_EQ(TempFolder::Read(Data("sub/s")), "through the link");
}

TEST_F(LinkRestoreTest, NamesOfOneFileComeBackAsOneFileOnlyWhenRestoredTogether) {
  folder.Write("data/a", "one file");
  ASSERT_EQ(::link(Data("a").c_str(), Data("sub/b").c_str()), 0);
  folder.Write("data/c", "another");
  Clean({"a", "sub/b", "c"});
  std::filesystem::remove_all(Data(""));

  {
    RestoreBatch batch(store, list, conversation);
    for (const char* entry : {"a", "sub/b", "c"}) {
      EXPECT_EQ(batch.Restore(Data(entry)).result, RestoreResult::kRestored) << entry;
    }
    batch.Finish();
  }
  EXPECT_EQ(Look("a").st_ino, Look("sub/b").st_ino);
  EXPECT_NE(Look("a").st_ino, Look("c").st_ino);
  EXPECT_EQ(Look("a").st_nlink, 2u);
  EXPECT_EQ(TempFolder::Read(Data("sub/b")), "one file");

  // One name alone is a file of its own; and when the other has something in its place, the
  // batch asks and keeps that as for any file.
  std::filesystem::remove_all(Data(""));
  EXPECT_EQ(RestoreEntry(store, Data("sub/b"), list, conversation).result,
            RestoreResult::kRestored);
  EXPECT_EQ(Look("sub/b").st_nlink, 1u);
  {
    RestoreBatch batch(store, list, conversation);
    EXPECT_EQ(batch.Restore(Data("a")).result, RestoreResult::kRestored);
    const RestoreOutcome second = batch.Restore(Data("sub/b"));
    EXPECT_EQ(second.result, RestoreResult::kRestoredOverwriting) << second.error.message();
    batch.Finish();
    EXPECT_EQ(TempFolder::Read(second.keptVersion), "one file");
  }
  EXPECT_EQ(Look("a").st_ino, Look("sub/b").st_ino);
  EXPECT_EQ(conversation.overwriteAsked, std::vector<std::string>{Data("sub/b")});
}

}  // namespace
