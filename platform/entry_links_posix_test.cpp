// Tests of the looks that do not follow a link, by whole paths and by names in a folder, of links
// made all at once, and of telling whether a path passes through a link.
#include "platform/entry_links.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/test_support/temp_folder.h"

namespace {

class EntryLinksTest : public ::testing::Test {
 protected:
  std::string P(const std::string& relative) const { return folder.Path(relative); }
  std::string Target(const std::string& relative) const {
    std::string target;
    EXPECT_FALSE(ReadLinkTarget(P(relative).c_str(), target)) << relative;
    return target;
  }
  TempFolder folder;
};

TEST_F(EntryLinksTest, ALookTellsALinkFromWhatItLeadsTo) {
  folder.Write("file", "contents");
  folder.MakeDir("dir");
  ASSERT_EQ(::symlink("file", P("to-file").c_str()), 0);
  ASSERT_EQ(::symlink("dir", P("to-dir").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", P("dangling").c_str()), 0);
  ASSERT_EQ(::link(P("file").c_str(), P("second-name").c_str()), 0);
  struct Case {
    const char* name;
    EntryKind kind;
  } cases[] = {{"file", EntryKind::kRegular}, {"dir", EntryKind::kFolder},
               {"to-file", EntryKind::kLink}, {"to-dir", EntryKind::kLink},
               {"dangling", EntryKind::kLink}};
  for (const Case& c : cases) {
    EntryLook look;
    ASSERT_FALSE(LookAtEntry(P(c.name).c_str(), look)) << c.name;
    EXPECT_EQ(look.kind, c.kind) << c.name;
    EXPECT_EQ(look.stamp.empty(), c.kind != EntryKind::kRegular) << c.name;
  }
  EntryLook file, second;
  ASSERT_FALSE(LookAtEntry(P("file").c_str(), file));
  ASSERT_FALSE(LookAtEntry(P("second-name").c_str(), second));
  EXPECT_EQ(file.index, second.index);
  EXPECT_EQ(file.links, 2u);
  EntryLook missing;
  EXPECT_EQ(LookAtEntry(P("missing").c_str(), missing), std::errc::no_such_file_or_directory);
  EXPECT_EQ(Target("dangling"), "nowhere");
}

TEST_F(EntryLinksTest, ALinkIsMadeWithItsTimeAndReplacesOnlyWhenAsked) {
  folder.Write("there", "what has the name");
  EXPECT_EQ(MakeLink("t1", P("there"), P(""), /*failIfExists=*/true, 1000000000, 5),
            std::errc::file_exists);
  EXPECT_EQ(TempFolder::Read(P("there")), "what has the name");
  ASSERT_FALSE(MakeLink("t2", P("there"), P(""), /*failIfExists=*/false, 1000000000, 5));
  EXPECT_EQ(Target("there"), "t2");
  ASSERT_FALSE(MakeLink("a target with\na line break", P("new"), P(""), true, 2000000000, 7));
  EXPECT_EQ(Target("new"), "a target with\na line break");
  struct stat st;
  ASSERT_EQ(::lstat(P("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 2000000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 7);
  // Only the two names made are left: no hidden name on the way stays behind.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(P(""))) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

TEST_F(EntryLinksTest, APathThroughALinkIsToldFromOneThroughFoldersOnly) {
  folder.MakeDir("store");
  folder.MakeDir("store/real");
  folder.MakeDir("elsewhere");
  ASSERT_EQ(::symlink(P("elsewhere").c_str(), P("store/link").c_str()), 0);
  ASSERT_EQ(::symlink(P("store").c_str(), P("to-store").c_str()), 0);
  const std::size_t store = P("store").size();
  EXPECT_FALSE(LinkOnTheWay(P("store/real/file"), store));
  EXPECT_FALSE(LinkOnTheWay(P("store/missing/deeper/file"), store));
  EXPECT_TRUE(LinkOnTheWay(P("store/link/file"), store));
  EXPECT_TRUE(LinkOnTheWay(P("store/link/deeper/file"), store));
  // The trusted part may itself pass through a link: only what lies below it counts.
  const std::size_t linked = P("to-store").size();
  EXPECT_FALSE(LinkOnTheWay(P("to-store/real/file"), linked));
  EXPECT_TRUE(LinkOnTheWay(P("to-store/link/file"), linked));
}

TEST_F(EntryLinksTest, ALookByNameInAFolderSeesWhatTheWholePathSees) {
  folder.MakeDir("d");
  folder.Write("d/file", "contents");
  ASSERT_EQ(::symlink("file", P("d/link").c_str()), 0);
  FolderLooks looks;
  // The walk's paths may double their separators; the folder is the same.
  looks.Use(P("") + "//d");
  for (const char* name : {"file", "link"}) {
    SCOPED_TRACE(name);
    EntryLook byName, whole;
    ASSERT_FALSE(looks.Look(name, byName));
    ASSERT_FALSE(LookAtEntry(P(std::string("d/") + name).c_str(), whole));
    EXPECT_EQ(byName.kind, whole.kind);
    EXPECT_EQ(byName.index, whole.index);
    EXPECT_EQ(byName.stamp, whole.stamp);
  }
  EntryLook missing;
  EXPECT_EQ(looks.Look("missing", missing), std::errc::no_such_file_or_directory);

  // A folder put in the place of the one looked into is looked into from then on: a look never
  // reports a file of the folder that was moved away.
  std::filesystem::rename(P("d"), P("d-moved"));
  folder.MakeDir("d");
  folder.Write("d/file", "other contents");
  EntryLook after, now;
  ASSERT_FALSE(looks.Look("file", after));
  ASSERT_FALSE(LookAtEntry(P("d/file").c_str(), now));
  EXPECT_EQ(after.index, now.index);
  EXPECT_EQ(after.stamp, now.stamp);

  // The root folder, and a folder whose parent is the current one.
  looks.Use("/");
  EntryLook root;
  ASSERT_FALSE(looks.Look("tmp", root));
  EXPECT_EQ(root.kind, EntryKind::kFolder);
}

}  // namespace
