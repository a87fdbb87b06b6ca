// Tests of making the store's folders with those above them, on real folders: which ones a
// call reports as made, and what it says when a file stands in the way.
#include "store/private_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/test_support/temp_folder.h"

namespace {

TEST(PrivateFoldersTest, ReportsTheFoldersItMadeTopmostFirst) {
  TempFolder root;
  std::vector<std::string> made;
  ASSERT_FALSE(CreatePrivateFolders(root.Path("a/b/c"), &made));
  EXPECT_TRUE(std::filesystem::is_directory(root.Path("a/b/c")));
  EXPECT_EQ(made, (std::vector<std::string>{root.Path("a"), root.Path("a/b"), root.Path("a/b/c")}));

  made.clear();
  ASSERT_FALSE(CreatePrivateFolders(root.Path("a/b/d"), &made));
  EXPECT_EQ(made, std::vector<std::string>{root.Path("a/b/d")});
}

TEST(PrivateFoldersTest, AFolderThatWasThereIsReportedAsNothingMade) {
  TempFolder root;
  root.MakeDir("a/b");
  std::vector<std::string> made;
  EXPECT_FALSE(CreatePrivateFolders(root.Path("a/b"), &made));
  EXPECT_TRUE(made.empty());
  EXPECT_FALSE(CreatePrivateFolders(root.Path("a"), &made));
  EXPECT_TRUE(made.empty());
}

TEST(PrivateFoldersTest, AFileInTheWayIsNotAFolderAndNothingBelowItIsMade) {
  TempFolder root;
  root.Write("a", "not a folder");
  std::vector<std::string> made;
  EXPECT_EQ(CreatePrivateFolders(root.Path("a"), &made), std::errc::not_a_directory);
  EXPECT_NE(CreatePrivateFolders(root.Path("a/b"), &made), std::error_code());
  EXPECT_TRUE(made.empty());
  EXPECT_FALSE(std::filesystem::exists(root.Path("a/b")));
}

}  // namespace
