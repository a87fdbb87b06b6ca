// The generator must give the same trees everywhere and the shapes the benchmark promises.
#include "bench/tree_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/test_support/temp_folder.h"
#include "bench/tree_census.h"

namespace {

std::size_t CountTxt(const TreePlan& plan) {
  return static_cast<std::size_t>(std::count_if(plan.files.begin(), plan.files.end(),
                                                [](const PlannedFile& f) { return f.txt; }));
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TreeShape TinyShape() { return {"tiny", 6, 3, 40, 0, 3000, 1, 3}; }

TEST(TreePlan, SameSeedSamePlanOtherSeedOtherPlan) {
  const TreePlan a = PlanTree(ManySmallFilesShape(), 42);
  const TreePlan b = PlanTree(ManySmallFilesShape(), 42);
  const TreePlan c = PlanTree(ManySmallFilesShape(), 43);
  ASSERT_EQ(a.files.size(), b.files.size());
  EXPECT_EQ(a.folders, b.folders);
  bool sameAsOther = a.folders == c.folders;
  for (std::size_t i = 0; i < a.files.size(); ++i) {
    EXPECT_EQ(a.files[i].relativePath, b.files[i].relativePath);
    EXPECT_EQ(a.files[i].size, b.files[i].size);
    EXPECT_EQ(a.files[i].contentOffset, b.files[i].contentOffset);
    sameAsOther = sameAsOther && a.files[i].relativePath == c.files[i].relativePath &&
                  a.files[i].size == c.files[i].size;
  }
  EXPECT_FALSE(sameAsOther);
}

TEST(TreePlan, ManySmallFilesHasTheAdvertisedShape) {
  const TreeShape shape = ManySmallFilesShape();
  const TreePlan plan = PlanTree(shape);
  EXPECT_EQ(plan.folders.size(), 1000u);
  EXPECT_EQ(plan.files.size(), 20000u);
  EXPECT_EQ(CountTxt(plan), 20000u / 3);
  EXPECT_EQ(*std::max_element(plan.folderDepths.begin(), plan.folderDepths.end()), 6u);

  // Parents come before their children, so the folders can be made in order.
  std::set<std::string> made;
  for (std::size_t i = 0; i < plan.folders.size(); ++i) {
    const std::string& folder = plan.folders[i];
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos) {
      EXPECT_TRUE(made.count(folder.substr(0, slash))) << folder;
    }
    EXPECT_EQ(std::count(folder.begin(), folder.end(), '/') + 1,
              static_cast<long>(plan.folderDepths[i]));
    made.insert(folder);
  }

  std::set<std::string> names;
  std::uint64_t smallest = ~0ull, largest = 0;
  bool topHasFiles = false;
  for (const PlannedFile& file : plan.files) {
    names.insert(NameOf(file.relativePath));
    const std::size_t slash = file.relativePath.rfind('/');
    if (slash == std::string::npos) {
      topHasFiles = true;
    } else {
      EXPECT_TRUE(made.count(file.relativePath.substr(0, slash))) << file.relativePath;
    }
    const bool endsTxt = file.relativePath.size() > 4 &&
                         file.relativePath.compare(file.relativePath.size() - 4, 4, ".txt") == 0;
    EXPECT_EQ(endsTxt, file.txt) << file.relativePath;
    EXPECT_LE(file.contentOffset + file.size, plan.poolSize);
    smallest = std::min(smallest, file.size);
    largest = std::max(largest, file.size);
  }
  EXPECT_EQ(names.size(), plan.files.size()) << "file names must be unique across the tree";
  EXPECT_TRUE(topHasFiles);
  EXPECT_LT(smallest, 1024u);
  EXPECT_GT(largest, 63u * 1024);
  EXPECT_LE(largest, 64u * 1024);
}

TEST(TreePlan, LargeWideAndFewShapes) {
  const TreePlan large = PlanTree(LargeFilesShape());
  EXPECT_TRUE(large.folders.empty());
  ASSERT_EQ(large.files.size(), 40u);
  EXPECT_EQ(CountTxt(large), 20u);
  for (const PlannedFile& file : large.files) {
    EXPECT_EQ(file.size, 16u << 20);
    EXPECT_EQ(file.relativePath.find('/'), std::string::npos);
  }

  const TreePlan wide = PlanTree(WideFlatShape());
  EXPECT_TRUE(wide.folders.empty());
  EXPECT_EQ(wide.files.size(), 50000u);
  EXPECT_EQ(CountTxt(wide), 50000u / 3);

  const TreePlan few = PlanTree(FewSmallFilesShape());
  EXPECT_EQ(few.folders.size(), 100u);
  EXPECT_EQ(few.files.size(), 2000u);
  EXPECT_EQ(CountTxt(few), 2000u / 3);
}

TEST(ContentPool, DeterministicAndNotSparse) {
  const std::vector<unsigned char> a = MakeContentPool(1 << 20, 7);
  EXPECT_EQ(a, MakeContentPool(1 << 20, 7));
  EXPECT_NE(a, MakeContentPool(1 << 20, 8));
  const auto zeros = std::count(a.begin(), a.end(), 0);
  EXPECT_LT(zeros, (1 << 20) / 100);
  // An odd size fills its tail too.
  const std::vector<unsigned char> odd = MakeContentPool(13, 7);
  EXPECT_TRUE(std::equal(odd.begin(), odd.end(), a.begin()));
}

TEST(WriteTree, WritesThePlanByteForByteAndTheSameTreeTwice) {
  TempFolder temp;
  const TreePlan plan = PlanTree(TinyShape(), 99);
  const std::string first = temp.Path() + "/first";
  const std::string second = temp.Path() + "/second";
  ASSERT_FALSE(WriteTree(plan, first, 99));
  ASSERT_FALSE(WriteTree(plan, second, 99));

  TreeCensus census;
  ASSERT_FALSE(CensusTree(first, census));
  EXPECT_EQ(census.folders, plan.folders.size());
  EXPECT_EQ(census.all.files, plan.files.size());
  EXPECT_EQ(census.txt.files, CountTxt(plan));

  const std::vector<unsigned char> pool = MakeContentPool(plan.poolSize, 99);
  std::uint64_t bytes = 0;
  for (const PlannedFile& file : plan.files) {
    const std::string content = ReadFile(first + "/" + file.relativePath);
    ASSERT_EQ(content.size(), file.size) << file.relativePath;
    EXPECT_TRUE(std::equal(
        content.begin(), content.end(), pool.begin() + static_cast<long>(file.contentOffset),
        [](char c, unsigned char p) { return static_cast<unsigned char>(c) == p; }))
        << file.relativePath;
    EXPECT_EQ(content, ReadFile(second + "/" + file.relativePath));
    bytes += file.size;
  }
  EXPECT_EQ(census.all.bytes, bytes);
}

TEST(WriteTree, RefusesAnExistingRoot) {
  TempFolder temp;
  EXPECT_EQ(WriteTree(PlanTree(TinyShape()), temp.Path()), std::errc::file_exists);
}

TEST(DescribeShape, ChangesWithEveryParameter) {
  const TreeShape base = TinyShape();
  const std::string description = DescribeShape(base);
  EXPECT_EQ(description, DescribeShape(TinyShape()));
  EXPECT_NE(description, DescribeShape(base, kDefaultTreeSeed + 1));
  std::vector<TreeShape> changed(7, base);
  changed[0].name = "other";
  changed[1].folders += 1;
  changed[2].maxDepth += 1;
  changed[3].files += 1;
  changed[4].minSize += 1;
  changed[5].maxSize += 1;
  changed[6].txtDenominator += 1;
  for (const TreeShape& shape : changed) EXPECT_NE(description, DescribeShape(shape));
}

}  // namespace
