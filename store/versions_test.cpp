// Tests of a path's versions: their times as names, keeping one beside a file that is then
// replaced, and finding them again, newest first.
#include "store/versions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/file_copies.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/file_system_without_links.h"
#include "platform/test_support/temp_folder.h"
#include "store/store_layout.h"

namespace {

TEST(VersionTimeTest, TimesReadBackAsTheyWereWrittenAcrossLeapDaysAndCenturies) {
  // 2000-02-29 was a leap day; 2100-03-01 follows a century year that is not a leap year.
  for (const std::int64_t time : {std::int64_t{0}, std::int64_t{951782400 + 3723},
                                  std::int64_t{4107542400}, std::int64_t{1796681703}}) {
    SCOPED_TRACE(time);
    const std::string text = VersionTimeText(time);
    EXPECT_EQ(ParseVersionTime(text), time) << text;
  }
  EXPECT_EQ(VersionTimeText(0), "1970-01-01 000000");
  EXPECT_EQ(VersionTimeText(951782400 + 3723), "2000-02-29 010203");
  EXPECT_EQ(VersionTimeText(4107542400), "2100-03-01 000000");
  for (const char* wrong :
       {"2026-02-29 000000", "2026-04-31 120000", "2026-13-01 000000", "2026-12-07 240000",
        "2026-12-07 22150", "2026/12/07 221503", "2026-12-07 22150x", ""}) {
    EXPECT_FALSE(ParseVersionTime(wrong)) << wrong;
  }
}

class VersionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("store");
    folder.MakeDir("data");
    store = folder.Path("store") + kPathSeparator;
    entry = folder.Path("data") + kPathSeparator + "a.log";
  }

  TempFolder folder;
  std::string store;
  std::string entry;
};

TEST_F(VersionsTest, AVersionIsNamedByItsTimeBesideWhereTheOwnCopiesMirrorThePath) {
  const std::string version = *VersionPathIn(store, entry, 1796681703);
  EXPECT_TRUE(version.starts_with(store + "versions" + kPathSeparator)) << version;
  EXPECT_TRUE(version.ends_with(kPathSeparator + std::string("a (2026-12-07 221503 UTC).log")))
      << version;
  EXPECT_TRUE(
      VersionPathIn(store, entry, 1796681703, 3)->ends_with("a (2026-12-07 221503 UTC 3).log"));
  const std::string dotted = folder.Path("data") + kPathSeparator + ".bashrc";
  EXPECT_TRUE(VersionPathIn(store, dotted, 0)->ends_with(".bashrc (1970-01-01 000000 UTC)"));
  EXPECT_FALSE(VersionPathIn(store, "relative/a.log", 0));
}

TEST_F(VersionsTest, AKeptVersionOutlivesTheFileReplacedAfterItWithOrWithoutLinks) {
  for (const bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard links" : "no hard links");
    std::optional<FileSystemWithoutLinks> noLinks;
    if (!links) noLinks.emplace();
    folder.Write("data/a.log", links ? "first" : "second");
    std::string kept;
    ASSERT_FALSE(KeepAsVersion(store, entry, entry, 1796681703, &kept));
    folder.Write("new", "replacement");
    ASSERT_FALSE(CopyFileReplacing(folder.Path("new").c_str(), entry.c_str(), false));
    EXPECT_EQ(TempFolder::Read(kept), links ? "first" : "second");
  }
  // Kept in the same second: the second one takes the next number, and neither is lost.
  const std::vector<Version> versions = VersionsOf(store, entry);
  ASSERT_EQ(versions.size(), 2u);
  EXPECT_EQ(versions[0].sequence, 2);
  EXPECT_EQ(TempFolder::Read(versions[0].path), "second");
  EXPECT_EQ(versions[1].sequence, 1);
  EXPECT_EQ(versions[1].size, 5u);
  // No hidden name is left anywhere in the store.
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder.Path("store"))) {
    EXPECT_NE(item.path().filename().string().front(), '.') << item.path();
  }
}

TEST_F(VersionsTest, OnlyThisPathsVersionsAreFoundNewestFirst) {
  folder.Write("data/a.log", "a");
  for (const std::int64_t time : {std::int64_t{1000}, std::int64_t{3000}, std::int64_t{2000}}) {
    ASSERT_FALSE(KeepAsVersion(store, entry, entry, time));
  }
  // Other files of the same folder, and names that only look like versions, are not its.
  const std::string other = folder.Path("data") + kPathSeparator + "ab.log";
  folder.Write("data/ab.log", "ab");
  ASSERT_FALSE(KeepAsVersion(store, other, other, 4000));
  const std::string versionsFolder = FolderPart(*VersionPathIn(store, entry, 0));
  for (const char* name : {"a.log", "a (1970-01-01 000000 UTC).txt", "a (yesterday UTC).log",
                           "a (1970-01-01 000000 UTC 1).log", "a (1970-01-01 000000).log"}) {
    std::ofstream(versionsFolder + kPathSeparator + name) << "not a version";
  }
  std::vector<std::int64_t> times;
  for (const Version& version : VersionsOf(store, entry)) times.push_back(version.takenAt);
  EXPECT_EQ(times, (std::vector<std::int64_t>{3000, 2000, 1000}));
  EXPECT_TRUE(VersionsOf(store, folder.Path("data") + kPathSeparator + "never.log").empty());
}

TEST(TakenNoteTest, AStampAndATimeReadBackAndAnythingElseIsNoNote) {
  const TakenNote note{"803:2a:5:1796681703.000000001:1796681703.5@x", 1796681703};
  const std::optional<TakenNote> back = ParseTakenNote(TakenNoteText(note));
  ASSERT_TRUE(back);
  EXPECT_TRUE(TakenWithStamp(*back, note.stamp));
  EXPECT_EQ(back->takenAt, note.takenAt);
  // Any other stamp, however close, is another source; a note holding the whole stamp, as
  // earlier copies have it, still matches its own.
  for (const char* other : {"803:2a:5:1796681703.000000001:1796681703.6@x",
                            "803:2a:5:1796681703.000000002:1796681703.5@x", ""}) {
    EXPECT_FALSE(TakenWithStamp(*back, other)) << other;
  }
  EXPECT_TRUE(TakenWithStamp(*ParseTakenNote("803:2a:5:1.0:1.0@7"), "803:2a:5:1.0:1.0"));
  for (const char* wrong : {"", "no time", "stamp@", "stamp@12a", "stamp@-"}) {
    EXPECT_FALSE(ParseTakenNote(wrong)) << wrong;
  }
}

TEST_F(VersionsTest, CopiesOfAPathAreItsOwnCopyWithItsNotedTimeThenItsVersions) {
  folder.Write("data/a.log", "older");
  ASSERT_FALSE(KeepAsVersion(store, entry, entry, 1000));
  const std::optional<std::string> own = OwnCopyPathIn(store, entry);
  std::filesystem::create_directories(std::filesystem::path(*own).parent_path());
  // Replaced as a restore replaces it: the version keeps the file it was kept from.
  folder.Write("new", "latest!");
  ASSERT_FALSE(CopyFileReplacing(folder.Path("new").c_str(), entry.c_str(), false));
  const std::string noteText = TakenNoteText({"stamp", 2000});
  const FileNote note{kTakenNoteName, noteText};
  ASSERT_FALSE(CopyFileReplacing(entry.c_str(), own->c_str(), false, &note));
  const std::vector<Version> copies = CopiesOf(store, entry);
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_TRUE(copies[0].ownCopy);
  EXPECT_EQ(copies[0].path, *own);
  EXPECT_EQ(copies[0].size, 7u);
  // Where the file system keeps no notes, the own copy's time is not known.
  const bool notesKept = ReadFileNote(own->c_str(), kTakenNoteName).has_value();
  EXPECT_EQ(copies[0].timeKnown, notesKept);
  if (notesKept) {
    EXPECT_EQ(copies[0].takenAt, 2000);
  }
  EXPECT_FALSE(copies[1].ownCopy);
  EXPECT_EQ(copies[1].takenAt, 1000);
  EXPECT_EQ(TempFolder::Read(copies[1].path), "older");
}

TEST_F(VersionsTest, KeepingTheSameFileAtTheSameTimeAgainKeepsItOnce) {
  folder.Write("data/a.log", "kept once");
  std::string first, again;
  ASSERT_FALSE(KeepAsVersion(store, entry, entry, 5000, &first));
  ASSERT_FALSE(KeepAsVersion(store, entry, entry, 5000, &again));
  EXPECT_EQ(first, again);
  EXPECT_EQ(VersionsOf(store, entry).size(), 1u);
}

}  // namespace
