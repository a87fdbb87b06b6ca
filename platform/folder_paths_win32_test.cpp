// Tests of absolute paths with drive letters and shares, the folder and file tests, the home
// folder and parent-folder creation over Win32, on a real temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/folder_paths.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"

namespace {

class FolderPathsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
  }
  void TearDown() override { std::filesystem::current_path(previous); }

  TempFolder folder;
  std::filesystem::path previous;
};

TEST_F(FolderPathsWin32Test, OnlyADriveRootOrAShareMakesAPathAbsolute) {
  const std::string here = folder.Path();
  const std::string drive = here.substr(0, 2);
  const struct {
    std::string typed, expected;
  } cases[] = {
      {"C:\\Windows", "C:\\Windows"},
      {"C:\\Windows\\.\\System32\\..\\", "C:\\Windows"},
      {"\\\\server\\share\\x", "\\\\server\\share\\x"},
      {"docs", here + "\\docs"},
      {"docs\\sub\\", here + "\\docs\\sub"},
      {".\\docs\\..\\x", here + "\\x"},
      {"./docs/sub", here + "\\docs\\sub"},
      // Resting on the current drive: the system completes it.
      {"\\top", drive + "\\top"},
      {"\\top\\..\\other", drive + "\\other"},
      // As Explorer's "Copy as path" gives them.
      {"\"C:\\Windows\\System32\"", "C:\\Windows\\System32"},
      {"\"docs\\sub\"", here + "\\docs\\sub"},
  };
  for (const auto& c : cases) {
    std::string path = c.typed;
    EXPECT_EQ(IsAbsolutePath(path), c.typed.starts_with("C:") || c.typed.starts_with("\\\\"))
        << c.typed;
    EXPECT_FALSE(MakeAbsolute(path)) << c.typed;
    EXPECT_EQ(path, c.expected) << c.typed;
    EXPECT_TRUE(IsAbsolutePath(path)) << c.typed;
  }
  EXPECT_FALSE(IsAbsolutePath(""));
  EXPECT_FALSE(IsAbsolutePath("C:relative"));
}

TEST_F(FolderPathsWin32Test, FoldersFilesAndDevicesAreToldApart) {
  folder.MakeDir("folder");
  folder.Write("file", "x");
  const struct {
    std::string path;
    bool folder, file;
  } cases[] = {
      {folder.Path("folder"), true, false},
      {folder.Path("file"), false, true},
      {folder.Path("missing"), false, false},
      {"NUL", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsFolder(c.path), c.folder) << c.path;
    EXPECT_EQ(IsRegularFile(c.path), c.file) << c.path;
  }
  EXPECT_TRUE(IsMissing(folder.Path("missing")));
  EXPECT_TRUE(IsMissing(folder.Path("missing\\below")));
  EXPECT_FALSE(IsMissing(folder.Path("folder")));
  EXPECT_FALSE(IsMissing(folder.Path("file")));
  const std::string home = HomeFolder();
  EXPECT_TRUE(IsAbsolutePath(home)) << home;
  EXPECT_TRUE(IsFolder(home)) << home;
}

TEST_F(FolderPathsWin32Test, ParentFoldersAreMadeUpToThePathButAFileOnTheWayStops) {
  EXPECT_FALSE(CreateParentFolders(folder.Path("a\\b\\\\c\\file.txt")));
  EXPECT_TRUE(IsFolder(folder.Path("a\\b\\c")));
  EXPECT_FALSE(std::filesystem::exists(folder.Path("a\\b\\c\\file.txt")));
  EXPECT_FALSE(CreateParentFolders(folder.Path("a\\b\\c\\other")));
  EXPECT_FALSE(CreateParentFolders("rel\\x"));
  EXPECT_TRUE(IsFolder(folder.Path("rel")));

  folder.Write("a\\plain", "x");
  EXPECT_EQ(CreateParentFolders(folder.Path("a\\plain\\sub\\file.txt")),
            std::errc::not_a_directory);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("a\\plain\\sub")));
}

}  // namespace
