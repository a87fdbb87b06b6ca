// Tests of the hidden names' shape, which the store's tidying relies on, and of their suffixes.
#include "platform/hidden_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/path_parts.h"
#include "platform/platform_files.h"

namespace {

bool IsSuffix(const std::string& text) {
  if (text.size() != 6) return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

TEST(HiddenNamesTest, ANameIsDotNameDotSixLettersInTheFolder) {
  const std::string folder = std::string("store") + kPathSeparator;
  for (const std::string& given : {std::string("store"), folder}) {
    std::string hidden;
    ASSERT_TRUE(HiddenNameIn(given, "a.txt", hidden));
    ASSERT_EQ(hidden.rfind(folder + ".a.txt.", 0), 0u) << hidden;
    EXPECT_TRUE(IsSuffix(hidden.substr(folder.size() + 7))) << hidden;
  }
  std::string bare;
  ASSERT_TRUE(HiddenNameIn("", "a.txt", bare));
  EXPECT_EQ(bare.rfind(".a.txt.", 0), 0u) << bare;
}

TEST(HiddenNamesTest, ALongNameIsCutAndAPathTooLongIsRefused) {
  std::string hidden;
  ASSERT_TRUE(HiddenNameIn("d", std::string(250, 'n'), hidden));
  EXPECT_EQ(hidden.size(), 2 + 1 + 200 + 1 + 6u);
  EXPECT_FALSE(HiddenNameIn(std::string(kMaxPath, 'd'), "a", hidden));
}

TEST(HiddenNamesTest, SuffixesDifferFromOneCallToTheNext) {
  std::set<std::string> seen;
  std::string hidden;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(HiddenNameIn("", "a", hidden));
    seen.insert(hidden);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
