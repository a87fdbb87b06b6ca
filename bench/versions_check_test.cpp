// The versions check must pass exactly the versions a clean should keep: one per changed file,
// holding its earlier contents, and none for a file left as it was.
#include "bench/versions_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class VersionsCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_tree = m_temp.Path() + "/tree";
    m_versions = m_temp.Path() + "/versions" + m_tree;
    Write(m_tree + "/a.txt", "first a");
    Write(m_tree + "/sub/b", "first b, longer");
    Write(m_tree + "/sub/c.log", "c");
    // Two of the three files changed, as PickFilesToChange notes them.
    for (const char* path : {"a.txt", "sub/b"}) {
      ChangedFile file{path};
      ASSERT_FALSE(DigestFile(m_tree + "/" + path, file.previousDigest, file.previousSize));
      m_changed.push_back(file);
    }
  }

  static void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  void KeepVersions() {
    Write(m_versions + "/a (2026-12-07 221503 UTC).txt", "first a");
    Write(m_versions + "/sub/b (2026-12-07 221503 UTC)", "first b, longer");
  }

  TempFolder m_temp;
  std::string m_tree;
  std::string m_versions;
  std::vector<ChangedFile> m_changed;
};

TEST_F(VersionsCheckTest, OneVersionOfEachChangedFileWithItsEarlierContentsPasses) {
  KeepVersions();
  const VersionsCheck check = CheckVersions(m_versions, m_changed);
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();
  EXPECT_EQ(check.versions, 2u);
  EXPECT_EQ(check.bytes, 7u + 15);
}

TEST_F(VersionsCheckTest, MissingDoubledWrongAndUnaskedVersionsAreEachNamed) {
  // Nothing kept at all.
  VersionsCheck check = CheckVersions(m_versions, m_changed);
  ASSERT_EQ(check.problems.size(), 2u);
  EXPECT_EQ(check.problems[0], "no version of a.txt");
  EXPECT_EQ(check.problems[1], "no version of sub/b");

  KeepVersions();
  Write(m_versions + "/a (2026-12-07 221504 UTC).txt", "first a");
  Write(m_versions + "/sub/b (2026-12-07 221503 UTC)", "first b, other!");
  Write(m_versions + "/sub/c (2026-12-07 221503 UTC).log", "c");
  Write(m_versions + "/stray", "x");
  check = CheckVersions(m_versions, m_changed);
  EXPECT_EQ(check.versions, 4u);
  ASSERT_EQ(check.problems.size(), 4u);
  EXPECT_EQ(check.problems[0], "not named as a version: stray");
  EXPECT_EQ(check.problems[1], "2 versions of a.txt");
  EXPECT_EQ(check.problems[2], "the version of sub/b does not hold its earlier contents");
  EXPECT_EQ(check.problems[3], "a version of sub/c.log, which did not change");
}

}  // namespace
