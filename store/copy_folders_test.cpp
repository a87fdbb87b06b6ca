// Tests of the chain of folders a clean copies into: a folder come back to is found as it was
// left, one beside it or elsewhere lets go of what does not hold it, and the chain stays bounded.
#include "store/copy_folders.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/path_parts.h"

namespace {

std::string P(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = kPathSeparator;
  }
  return native;
}

TEST(CopyFoldersTest, AFolderComeBackToIsTheOneLeftAndOnesBesideItAreLetGo) {
  CopyFolders folders;
  EXPECT_EQ(folders.Enter(P("/s/a")), nullptr);
  CopyFolder& a = folders.Add(P("/s/a"), /*existed=*/true, /*made=*/false);
  EXPECT_EQ(folders.Enter(P("/s/a/b")), nullptr);
  folders.Add(P("/s/a/b"), /*existed=*/false, /*made=*/true);
  // Back from the sub-folder: the same folder, as it was.
  CopyFolder* back = folders.Enter(P("/s/a"));
  ASSERT_EQ(back, &a);
  EXPECT_TRUE(back->existed);
  EXPECT_FALSE(back->made);
  // The sub-folder was let go when the walk came back above it.
  EXPECT_EQ(folders.Enter(P("/s/a/b")), nullptr);
  CopyFolder& c = folders.Add(P("/s/a/c"), true, false);
  EXPECT_EQ(folders.Enter(P("/s/a/c")), &c);
  // A name that only begins like a folder held is not inside it.
  EXPECT_EQ(folders.Enter(P("/s/ab")), nullptr);
  EXPECT_EQ(folders.Enter(P("/s/a")), nullptr);
}

TEST(CopyFoldersTest, OnlyTheInnermostFoldersOfADeepWalkAreHeld) {
  CopyFolders folders;
  std::string path = P("/s");
  const std::string outermost = path;
  for (std::size_t depth = 0; depth < CopyFolders::kMostHeld + 6; ++depth) {
    ASSERT_EQ(folders.Enter(path), nullptr);
    folders.Add(path, true, false);
    path += P("/d");
  }
  const std::string innermost = path.substr(0, path.size() - 2);
  const std::string parent = innermost.substr(0, innermost.size() - 2);
  EXPECT_NE(folders.Enter(innermost), nullptr);
  EXPECT_NE(folders.Enter(parent), nullptr);
  // The outermost were let go to keep the chain bounded: found again by making them again.
  EXPECT_EQ(folders.Enter(outermost), nullptr);
}

}  // namespace
