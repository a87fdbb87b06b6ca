// Tests of a file's contents stamp on Linux: the text copies already carry in their notes, and a
// write whose modification time was put back still changing it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

TEST(ContentsStampTest, TheTextIsTheOneEarlierCopiesNotedAndAWriteChangesItWhateverTheTimes) {
  TempFolder folder;
  folder.Write("a", "first");
  const std::string path = folder.Path("a");
  // Nanoseconds that need their leading zeros.
  const struct timespec times[2] = {{1796681703, 5}, {1796681703, 120}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  char expected[160];
  std::snprintf(
      expected, sizeof expected, "%llx:%llx:%llx:%lld.%09ld:%lld.%09ld",
      static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
      static_cast<unsigned long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
      st.st_mtim.tv_nsec, static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec);
  const std::optional<std::string> stamp = ContentsStamp(path.c_str());
  ASSERT_TRUE(stamp);
  EXPECT_EQ(*stamp, expected);
  EXPECT_NE(stamp->find(":1796681703.000000120:"), std::string::npos) << *stamp;

  // Same size, the modification time put back: the change time still moves (once the
  // clock the file system stamps with has ticked).
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  folder.Write("a", "other");
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_NE(ContentsStamp(path.c_str()), stamp);
  EXPECT_FALSE(ContentsStamp(folder.Path("gone").c_str()));
}

}  // namespace
