// Tests of restoring one entry from the store: which copy is taken, when the origin question
// comes and about which file, and what is left of list.txt.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/file_copies.h"
#include "platform/test_support/file_system_without_links.h"
#include "platform/test_support/temp_folder.h"
#include "store/copy_origin.h"
#include "store/entry_restore.h"
#include "store/store_layout.h"
#include "store/versions.h"

namespace {

class Conversation : public RestoreConversation {
 public:
  bool RestoreFromOtherOrigin(const std::string& origin, const std::string& entry) override {
    asked.push_back(origin + " -> " + entry);
    if (onOriginQuestion) onOriginQuestion();
    return answer;
  }
  bool Overwrite(const std::string&) override { return true; }
  bool DropEntry(const std::string& entry) override {
    dropped.push_back(entry);
    return true;
  }

  bool answer = true;
  std::function<void()> onOriginQuestion;
  std::vector<std::string> asked;
  std::vector<std::string> dropped;
};

class EntryRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("backups");
    folder.MakeDir("data/S");
    store = folder.Path("backups") + "/";
  }
  // A copy of a file that held contents, taken from origin (none kept when empty), under path
  // in the store.
  void Keep(const std::string& path, const std::string& contents, const std::string& origin) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    folder.Write("source", contents);
    const FileNote note = OriginNoteOf(origin.c_str());
    ASSERT_FALSE(CopyFileReplacing(folder.Path("source").c_str(), path.c_str(), false,
                                   origin.empty() ? nullptr : &note));
  }
  RestoreOutcome Restore(const std::string& entry) {
    folder.Write("backups/list.txt", entry + ";");
    list.Loaded(folder.Path("backups/list.txt"), entry + ";");
    return RestoreEntry(store, entry, list, conversation);
  }

  TempFolder folder;
  std::string store;
  ListOnDisk list;
  Conversation conversation;
};

TEST_F(EntryRestoreTest, AnEntryWithItsOwnCopyComesBackWithoutAQuestion) {
  const std::string entry = folder.Path("data/S") + "//a.txt";
  Keep(*OwnCopyPathIn(store, entry), "own", entry);
  Keep(SharedCopyPathIn(store, entry), "another file's", folder.Path("elsewhere/a.txt"));
  const RestoreOutcome outcome = Restore(entry);
  EXPECT_EQ(outcome.result, RestoreResult::kRestored);
  EXPECT_TRUE(conversation.asked.empty());
  EXPECT_EQ(TempFolder::Read(folder.Path("data/S/a.txt")), "own");
  EXPECT_EQ(conversation.dropped, std::vector<std::string>{entry});
  EXPECT_EQ(TempFolder::Read(folder.Path("backups/list.txt")), "");
}

TEST_F(EntryRestoreTest, TheSharedCopyAsksUnlessItKeepsTheEntryAsItsOrigin) {
  const std::string entry = folder.Path("data/S/a.txt");
  struct Case {
    const char* name;
    std::string origin;
    bool asks;
  } cases[] = {
      {"the same path with a doubled separator", folder.Path("data/S") + "//a.txt", false},
      {"another path", folder.Path("data/a.txt"), true},
      {"no origin kept", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(entry);
    conversation.asked.clear();
    Keep(SharedCopyPathIn(store, entry), c.name, c.origin);
    EXPECT_EQ(Restore(entry).result, RestoreResult::kRestored);
    ASSERT_EQ(conversation.asked.size(), c.asks ? 1u : 0u);
    if (c.asks) {
      EXPECT_EQ(conversation.asked[0], c.origin + " -> " + entry);
    }
    EXPECT_EQ(TempFolder::Read(entry), c.name);
  }
}

TEST_F(EntryRestoreTest, TheOriginAskedAboutIsThatOfTheVeryFileRestored) {
  const std::string entry = folder.Path("data/S/a.txt");
  const std::string shared = SharedCopyPathIn(store, entry);
  Keep(shared, "from P", folder.Path("P/a.txt"));
  // While the user reads the question, another instance replaces the shared copy.
  conversation.onOriginQuestion = [&] { Keep(shared, "from Q", folder.Path("Q/a.txt")); };
  EXPECT_EQ(Restore(entry).result, RestoreResult::kRestored);
  ASSERT_EQ(conversation.asked.size(), 1u);
  EXPECT_EQ(conversation.asked[0], folder.Path("P/a.txt") + " -> " + entry);
  EXPECT_EQ(TempFolder::Read(entry), "from P");
}

TEST_F(EntryRestoreTest, APathTooLongForItsOwnCopyFallsBackToTheSharedOneAndItsQuestion) {
  // Fits the system's path length, but not with the store's folder and "paths" before it.
  std::string entry = folder.Path("data");
  while (entry.size() < kMaxPath - 60) entry += "/" + std::string(200, 'x');
  entry += "/a.txt";
  ASSERT_LT(entry.size(), kMaxPath);
  ASSERT_GE(OwnCopyPathIn(store, entry)->size(), kMaxPath);
  Keep(SharedCopyPathIn(store, entry), "from P", folder.Path("P/a.txt"));
  conversation.answer = false;
  EXPECT_EQ(Restore(entry).result, RestoreResult::kDeclined);
  ASSERT_EQ(conversation.asked.size(), 1u);
  EXPECT_EQ(conversation.asked[0], folder.Path("P/a.txt") + " -> " + entry);
}

TEST_F(EntryRestoreTest, NoCopyAtAllIsMissingAndADeclinedQuestionChangesNothing) {
  const std::string entry = folder.Path("data/S/a.txt");
  const RestoreOutcome missing = Restore(entry);
  EXPECT_EQ(missing.result, RestoreResult::kCopyMissing);
  EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);

  Keep(SharedCopyPathIn(store, entry), "from P", folder.Path("P/a.txt"));
  conversation.answer = false;
  EXPECT_EQ(Restore(entry).result, RestoreResult::kDeclined);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_TRUE(conversation.dropped.empty());
  EXPECT_EQ(TempFolder::Read(folder.Path("backups/list.txt")), entry + ";");
}

TEST_F(EntryRestoreTest, ARewriteThatFindsItsEntryGoneKeepsTheListItReadForTheNextOne) {
  const std::string a = folder.Path("data/a");
  const std::string b = folder.Path("data/b");
  const std::string c = folder.Path("data/c");
  const std::string path = folder.Path("backups/list.txt");
  folder.Write("backups/list.txt", a + ";" + b + ";" + c + ";");
  list.Loaded(path, a + ";" + b + ";" + c + ";");
  // Another window restored b and rewrote the list first.
  folder.Write("backups/list.txt", c + ";" + a + ";");
  EXPECT_FALSE(list.Remove(b));
  EXPECT_EQ(TempFolder::Read(path), c + ";" + a + ";");
  // The next restore of this window still rewrites the list.
  EXPECT_FALSE(list.Remove(c));
  EXPECT_EQ(TempFolder::Read(path), a + ";");
}

}  // namespace

namespace {

TEST_F(EntryRestoreTest, AFileTheRestoreReplacesIsKeptAsAVersionOfItsPath) {
  const std::string entry = folder.Path("data/S/a.log");
  Keep(*OwnCopyPathIn(store, entry), "backed up", entry);
  for (const bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard links" : "no hard links");
    std::optional<FileSystemWithoutLinks> noLinks;
    if (!links) noLinks.emplace();
    folder.Write("data/S/a.log", links ? "edited since" : "edited again");
    const RestoreOutcome outcome = Restore(entry);
    EXPECT_EQ(outcome.result, RestoreResult::kRestoredOverwriting);
    EXPECT_EQ(TempFolder::Read(entry), "backed up");
    ASSERT_FALSE(outcome.keptVersion.empty());
    EXPECT_EQ(TempFolder::Read(outcome.keptVersion), links ? "edited since" : "edited again");
    EXPECT_TRUE(outcome.keptVersion.starts_with(store + "versions/"));
  }
  // Both replaced files, newest first: two restores within one second are told apart.
  const std::vector<Version> versions = VersionsOf(store, entry);
  ASSERT_EQ(versions.size(), 2u);
  EXPECT_EQ(TempFolder::Read(versions[0].path), "edited again");
  EXPECT_EQ(TempFolder::Read(versions[1].path), "edited since");
  EXPECT_EQ(versions[1].size, std::string("edited since").size());
}

TEST_F(EntryRestoreTest, AFileThatCannotBeKeptIsNotReplaced) {
  const std::string entry = folder.Path("data/S/a.log");
  Keep(*OwnCopyPathIn(store, entry), "backed up", entry);
  folder.Write("data/S/a.log", "the only copy of this");
  // A file in the way of the versions folder: nothing can be kept below it.
  folder.Write("backups/versions", "");
  const RestoreOutcome outcome = Restore(entry);
  EXPECT_EQ(outcome.result, RestoreResult::kOverwriteFailed);
  EXPECT_TRUE(outcome.error);
  EXPECT_EQ(TempFolder::Read(entry), "the only copy of this");
  EXPECT_TRUE(conversation.dropped.empty());
}

TEST_F(EntryRestoreTest, TheFileReplacedAndTheOneRestoredKeepTheirModesAndAttributesButNoNotes) {
  const std::string entry = folder.Path("data/S/tool");
  // A file restored from another store carries that store's notes.
  folder.Write("source", "backed up");
  auto attribute = [](const std::string& path, const char* name) -> std::optional<std::string> {
    char value[64];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::nullopt : std::optional<std::string>(std::string(value, n));
  };
  if (::setxattr(folder.Path("source").c_str(), "user.colour", "blue", 4, 0) != 0) {
    GTEST_SKIP() << "the temporary folder's file system holds no user extended attributes";
  }
  ASSERT_EQ(::setxattr(folder.Path("source").c_str(), "user.quillmar.origin", "/elsewhere", 10, 0),
            0);
  ASSERT_EQ(::chmod(folder.Path("source").c_str(), 04750), 0);
  const std::string own = *OwnCopyPathIn(store, entry);
  std::filesystem::create_directories(std::filesystem::path(own).parent_path());
  const FileNote origin = OriginNoteOf(entry.c_str());
  ASSERT_FALSE(CopyFileReplacing(folder.Path("source").c_str(), own.c_str(), false, &origin));
  // The file there now has a mode and an attribute of its own.
  folder.Write("data/S/tool", "edited since");
  ASSERT_EQ(::chmod(entry.c_str(), 0640), 0);
  ASSERT_EQ(::setxattr(entry.c_str(), "user.colour", "red", 3, 0), 0);

  const RestoreOutcome outcome = Restore(entry);
  ASSERT_EQ(outcome.result, RestoreResult::kRestoredOverwriting);
  struct stat restored {};
  struct stat kept {};
  ASSERT_EQ(::stat(entry.c_str(), &restored), 0);
  ASSERT_EQ(::stat(outcome.keptVersion.c_str(), &kept), 0);
  EXPECT_EQ(restored.st_mode & 07777, 04750u);
  EXPECT_EQ(attribute(entry, "user.colour"), "blue");
  EXPECT_EQ(attribute(entry, "user.quillmar.origin"), std::nullopt);
  EXPECT_EQ(attribute(entry, "user.quillmar.taken"), std::nullopt);
  EXPECT_EQ(kept.st_mode & 07777, 0640u);
  EXPECT_EQ(attribute(outcome.keptVersion, "user.colour"), "red");
  // The store's copy says where it came from, not where its source once came from.
  EXPECT_EQ(attribute(own, "user.quillmar.origin"), entry);
}

}  // namespace
