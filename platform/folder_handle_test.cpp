// Tests of the folder lock and flush on real folders: the lock keeps a second holder waiting
// until the first lets go, and a closed handle refuses both.
#include "platform/folder_handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/test_support/temp_folder.h"

namespace {

class FolderHandleTest : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(FolderHandleTest, ASecondHolderWaitsUntilTheFirstUnlocks) {
  FolderHandle first, second;
  ASSERT_FALSE(first.Open(folder.Path().c_str()));
  ASSERT_FALSE(second.Open(folder.Path().c_str()));
  ASSERT_FALSE(first.Lock());
  std::atomic<bool> secondHolds{false};
  std::thread waiter([&] {
    const std::error_code error = second.Lock();
    secondHolds = !error;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(secondHolds) << "two holders of one folder's lock at once";
  first.Unlock();
  waiter.join();
  EXPECT_TRUE(secondHolds);
  second.Unlock();
  // Closing with the lock held lets the next one in too.
  ASSERT_FALSE(second.Lock());
  second.Close();
  FolderLockScope scope(first);
  EXPECT_FALSE(scope.error());
}

TEST_F(FolderHandleTest, TheFlushReachesAnOpenFolderAndAClosedOneRefuses) {
  FolderHandle handle;
  EXPECT_FALSE(handle.IsOpen());
  EXPECT_EQ(handle.Lock(), std::errc::bad_file_descriptor);
  EXPECT_EQ(handle.FlushFileSystem(), std::errc::bad_file_descriptor);
  EXPECT_TRUE(handle.Open(folder.Path("missing").c_str()));
  EXPECT_FALSE(handle.IsOpen());

  ASSERT_FALSE(handle.Open(folder.Path().c_str()));
  EXPECT_TRUE(handle.IsOpen());
  folder.Write("copy", "bytes");
  EXPECT_FALSE(handle.FlushFileSystem());
  EXPECT_FALSE(FlushFileSystemOf(folder.Path("copy").c_str()));
  EXPECT_FALSE(FlushFileSystemOf(folder.Path().c_str()));
  handle.Close();
  EXPECT_FALSE(handle.IsOpen());
}

}  // namespace
