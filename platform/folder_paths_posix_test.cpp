// Tests of absolute paths, the folder and file tests and parent-folder creation, on a real
// temporary folder that is also the current folder while each test runs.
#include "platform/folder_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/test_support/run_as_nobody.h"
#include "platform/test_support/temp_folder.h"

namespace {

class FolderPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
  }
  void TearDown() override { std::filesystem::current_path(previous); }

  std::string P(const std::string& relative) const { return root + "/" + relative; }
  mode_t ModeOf(const std::string& relative) const {
    struct stat st {};
    EXPECT_EQ(::stat(P(relative).c_str(), &st), 0) << relative;
    return st.st_mode & 07777;
  }

  TempFolder temp;
  const std::string root = temp.Path();
  std::filesystem::path previous;
};

TEST_F(FolderPathsTest, ARelativePathGoesAfterTheCurrentFolderAndEitherIsResolved) {
  const struct {
    std::string typed, expected;
  } cases[] = {
      {"docs", root + "/docs"},
      {"docs/sub/", root + "/docs/sub"},
      {"./docs/../x", root + "/x"},
      {".", root},
      {"..", std::filesystem::path(root).parent_path().string()},
      {"/etc", "/etc"},
      {"/etc/./ssl/..//", "/etc"},
      {"/", "/"},
      {"//server", "/server"},
  };
  for (const auto& c : cases) {
    std::string path = c.typed;
    EXPECT_EQ(IsAbsolutePath(path), c.typed.starts_with('/')) << c.typed;
    EXPECT_FALSE(MakeAbsolute(path)) << c.typed;
    EXPECT_EQ(path, c.expected) << c.typed;
    EXPECT_TRUE(IsAbsolutePath(path)) << c.typed;
  }
  EXPECT_FALSE(IsAbsolutePath(""));
  EXPECT_FALSE(IsAbsolutePath("\n/etc"));
}

TEST_F(FolderPathsTest, AtTheRootNoSeparatorIsDoubled) {
  std::filesystem::current_path("/");
  std::string path = "docs";
  EXPECT_FALSE(MakeAbsolute(path));
  EXPECT_EQ(path, "/docs");
}

TEST_F(FolderPathsTest, AGoneCurrentFolderIsAnErrorAndThePathStaysAsItWas) {
  ASSERT_EQ(::mkdir(P("gone").c_str(), 0755), 0);
  std::filesystem::current_path(P("gone"));
  ASSERT_EQ(::rmdir(P("gone").c_str()), 0);
  std::string path = "docs";
  EXPECT_EQ(MakeAbsolute(path), std::errc::no_such_file_or_directory);
  EXPECT_EQ(path, "docs");
}

TEST_F(FolderPathsTest, FoldersAndRegularFilesAreToldApartLinksFollowed) {
  ASSERT_EQ(::mkdir(P("folder").c_str(), 0755), 0);
  std::ofstream(P("file")) << "x";
  ASSERT_EQ(::symlink("folder", P("to-folder").c_str()), 0);
  ASSERT_EQ(::symlink("file", P("to-file").c_str()), 0);
  ASSERT_EQ(::symlink("missing", P("broken").c_str()), 0);
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
  const struct {
    const char* name;
    bool folder, file;
  } cases[] = {
      {"folder", true, false},   {"file", false, true},    {"to-folder", true, false},
      {"to-file", false, true},  {"broken", false, false}, {"fifo", false, false},
      {"missing", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsFolder(P(c.name)), c.folder) << c.name;
    EXPECT_EQ(IsRegularFile(P(c.name)), c.file) << c.name;
  }
}

TEST_F(FolderPathsTest, OnlyWhatIsSurelyNotThereIsMissing) {
  ASSERT_EQ(::mkdir(P("folder").c_str(), 0755), 0);
  std::ofstream(P("file")) << "x";
  ASSERT_EQ(::symlink("gone", P("broken").c_str()), 0);
  ASSERT_EQ(::mkdir(P("shut").c_str(), 0700), 0);
  std::ofstream(P("shut/inside")) << "x";
  ASSERT_EQ(::chmod(P("shut").c_str(), 0), 0);
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);  // the test folder itself is open to everyone
  const struct {
    const char* name;
    bool missing;
  } cases[] = {
      {"missing", true},
      {"missing/below", true},
      {"folder/missing", true},
      {"folder", false},
      {"file", false},
      {"broken", false},
      // A file on the way is no folder that could be missing.
      {"file/below", false},
      // A folder that may not be searched hides whether anything is in it.
      {"shut/inside", false},
      {"shut/missing", false},
  };
  const std::string seen = RunAsNobody([&] {
    std::string out;
    for (const auto& c : cases) out += IsMissing(P(c.name)) ? '1' : '0';
    return out;
  });
  ASSERT_EQ(seen.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(seen[i] == '1', cases[i].missing) << cases[i].name;
  }
}

TEST_F(FolderPathsTest, TheHomeFolderIsAnAbsoluteFolder) {
  const std::string home = HomeFolder();
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(home.front(), '/');
  EXPECT_TRUE(IsFolder(home)) << home;
}

TEST_F(FolderPathsTest, ParentFoldersAreMadeWithTheUsersDefaultPermissionsButNotThePathItself) {
  const mode_t previousMask = ::umask(027);
  EXPECT_FALSE(CreateParentFolders(P("a/b//c/file.txt")));
  ::umask(previousMask);
  EXPECT_EQ(ModeOf("a"), 0750u);
  EXPECT_EQ(ModeOf("a/b"), 0750u);
  EXPECT_EQ(ModeOf("a/b/c"), 0750u);
  EXPECT_FALSE(std::filesystem::exists(P("a/b/c/file.txt")));
  // Once they are there, nothing changes and nothing fails; a relative path works as well.
  ASSERT_EQ(::chmod(P("a/b").c_str(), 0700), 0);
  EXPECT_FALSE(CreateParentFolders(P("a/b/c/other")));
  EXPECT_FALSE(CreateParentFolders("a/b/rel/x"));
  EXPECT_EQ(ModeOf("a/b"), 0700u);
  EXPECT_TRUE(IsFolder(P("a/b/rel")));
  EXPECT_FALSE(CreateParentFolders("bare-name"));
}

TEST_F(FolderPathsTest, AFileOnTheWayStopsTheCreationWithNotADirectory) {
  ASSERT_EQ(::mkdir(P("a").c_str(), 0755), 0);
  std::ofstream(P("a/plain")) << "x";
  EXPECT_EQ(CreateParentFolders(P("a/plain/sub/file.txt")), std::errc::not_a_directory);
  EXPECT_FALSE(std::filesystem::exists(P("a/plain/sub")));
}

TEST_F(FolderPathsTest, AFolderThatMayNotBeWrittenGivesThePlatformsReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  ASSERT_EQ(::mkdir(P("locked").c_str(), 0555), 0);
  EXPECT_EQ(CreateParentFolders(P("locked/sub/file.txt")), std::errc::permission_denied);
}

}  // namespace
