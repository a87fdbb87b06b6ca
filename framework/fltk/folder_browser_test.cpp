// Tests of the folder browser's listing, of the paths its entries stand for and of how its
// answer becomes a full path.
#include "folder_browser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

class FolderBrowserListing : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/folder-browser-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
  }

  void MakeFolder(const std::string& name) {
    ASSERT_EQ(mkdir((m_root + "/" + name).c_str(), 0755), 0) << name;
  }
  void MakeFile(const std::string& name) { std::ofstream((m_root + "/" + name).c_str()) << name; }
  void MakeLink(const std::string& target, const std::string& name) {
    ASSERT_EQ(symlink(target.c_str(), (m_root + "/" + name).c_str()), 0) << name;
  }

  std::string m_root;
};

using Entries = std::vector<std::string>;

}  // namespace

TEST_F(FolderBrowserListing, UpFirstThenFoldersThenFilesEachInByteOrder) {
  // Capitals before small letters and a UTF-8 name last: byte order, not a locale's.
  for (const char* name : {"sub", "Alpha", ".hidden", "zeta"}) MakeFolder(name);
  for (const char* name : {"b.txt", "a.txt", "Z.txt", ".dot", "\xC3\xA9t\xC3\xA9.txt", "@bold"}) {
    MakeFile(name);
  }
  MakeLink("sub", "to-sub");
  MakeLink("a.txt", "to-a");
  MakeLink("missing", "broken");

  const Entries expected = {
      "../",   ".hidden/", "Alpha/", "sub/",  "to-sub/", "zeta/", ".dot",
      "@bold", "Z.txt",    "a.txt",  "b.txt", "broken",  "to-a",  "\xC3\xA9t\xC3\xA9.txt"};
  EXPECT_EQ(BrowserEntries(m_root), expected);
  EXPECT_EQ(BrowserEntries(m_root + "/"), expected) << "a trailing separator changes nothing";
}

TEST_F(FolderBrowserListing, AnEmptyFolderHoldsOnlyTheWayUp) {
  MakeFolder("empty");
  EXPECT_EQ(BrowserEntries(m_root + "/empty"), Entries{"../"});
}

TEST_F(FolderBrowserListing, AFolderThatCannotBeListedStillOffersTheWayUp) {
  MakeFile("plain");
  EXPECT_EQ(BrowserEntries(m_root + "/missing"), Entries{"../"});
  EXPECT_EQ(BrowserEntries(m_root + "/plain"), Entries{"../"});
}

TEST(FolderBrowser, TheRootHasNoWayUpAndKeepsItsGroupsInOrder) {
  const Entries entries = BrowserEntries("/");
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "../"), 0);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "./"), 0);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "tmp/"), 1);
  const auto firstFile = std::find_if(entries.begin(), entries.end(),
                                      [](const std::string& e) { return e.back() != '/'; });
  EXPECT_TRUE(std::all_of(firstFile, entries.end(), [](const std::string& e) {
    return e.back() != '/';
  })) << "a folder comes after a file";
  EXPECT_TRUE(std::is_sorted(entries.begin(), firstFile));
  EXPECT_TRUE(std::is_sorted(firstFile, entries.end()));
  EXPECT_EQ(BrowserEntries("//"), entries);
}

TEST(FolderBrowser, AnEntryStandsForItsPathAndTheWayUpForTheParent) {
  EXPECT_EQ(EntryPath("/home/u", "notes.txt"), "/home/u/notes.txt");
  EXPECT_EQ(EntryPath("/home/u/", "letters/"), "/home/u/letters/");
  EXPECT_EQ(EntryPath("/", "etc/"), "/etc/");
  EXPECT_EQ(EntryPath("/home/u", "../"), "/home/");
  EXPECT_EQ(EntryPath("/home/u/", "../"), "/home/");
  EXPECT_EQ(EntryPath("/home", "../"), "/");
  EXPECT_EQ(EntryPath("/", "../"), "/");
}

TEST(FolderBrowser, AFullPathStaysAsItIsWithoutATrailingSeparator) {
  EXPECT_EQ(FullChosenPath("/home/u", "/data/photos"), "/data/photos");
  EXPECT_EQ(FullChosenPath("/home/u", "/data/photos/"), "/data/photos");
  EXPECT_EQ(FullChosenPath("/home/u", "/"), "/");
}

TEST(FolderBrowser, ATypedNameIsTakenInTheFolderShown) {
  EXPECT_EQ(FullChosenPath("/home/u", "notes"), "/home/u/notes");
  EXPECT_EQ(FullChosenPath("/home/u/", "notes/"), "/home/u/notes");
  EXPECT_EQ(FullChosenPath("/", "etc"), "/etc");
}

TEST(FolderBrowser, NothingChosenStaysEmpty) { EXPECT_EQ(FullChosenPath("/home/u", ""), ""); }
