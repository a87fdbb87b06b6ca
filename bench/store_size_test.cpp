// A store's size counts each copy once, however many names it has, and never its records.
#include "bench/store_size.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, std::size_t bytes) {
  std::ofstream(path, std::ios::binary) << std::string(bytes, 'q');
}

TEST(MeasureStore, CountsEachFileOnceAcrossItsNamesAndLeavesTheRecordsOut) {
  TempFolder temp;
  const std::string store = temp.Path() + "/backups";
  fs::create_directories(store + "/paths/home/me");
  fs::create_directories(store + "/versions/home/me");
  Write(store + "/paths/home/me/a.txt", 100);
  Write(store + "/paths/home/me/b.txt", 20);
  Write(store + "/versions/home/me/a (2026-12-07 221503 UTC).txt", 3);
  // The shared copies are further names of the own copies, and a version may be one too.
  fs::create_hard_link(store + "/paths/home/me/a.txt", store + "/a.txtBACKUP");
  fs::create_hard_link(store + "/paths/home/me/b.txt", store + "/b.txtBACKUP");
  fs::create_hard_link(store + "/paths/home/me/b.txt",
                       store + "/versions/home/me/b (2026-12-07 221503 UTC).txt");
  Write(store + "/list.txt", 4000);
  Write(store + "/unprotected.txt", 500);
  // Below the top, a file of that name is a copy like any other.
  Write(store + "/paths/home/me/list.txt", 7);
  ASSERT_EQ(::symlink((store + "/paths/home/me/a.txt").c_str(), (store + "/link").c_str()), 0);

  StoreSize size;
  ASSERT_FALSE(MeasureStore(store, size));
  EXPECT_EQ(size.files, 4u);
  EXPECT_EQ(size.names, 7u);
  EXPECT_EQ(size.bytes, 100u + 20 + 3 + 7);

  // A copy that stops sharing its name is counted again.
  fs::remove(store + "/b.txtBACKUP");
  Write(store + "/b.txtBACKUP", 20);
  ASSERT_FALSE(MeasureStore(store, size));
  EXPECT_EQ(size.files, 5u);
  EXPECT_EQ(size.bytes, 150u);

  EXPECT_TRUE(MeasureStore(temp.Path() + "/no-store", size));
}

}  // namespace
