// Tests of how the folder browser's answer becomes a full path.
#include "folder_browser.h"

#include <gtest/gtest.h>

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
