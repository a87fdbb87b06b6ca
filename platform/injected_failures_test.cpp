// Tests of the failure seam: which calls a scope fails, for how long, and that the services
// report an injected failure exactly as they report the system's own, on both platforms.
#include "platform/injected_failures.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "platform/folder_handle.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

// An error each platform's services hand on unchanged.
std::error_code DiskFull() {
#if defined(_WIN32)
  return std::error_code(112 /* ERROR_DISK_FULL */, std::system_category());
#else
  return std::make_error_code(std::errc::no_space_on_device);
#endif
}

TEST(InjectedFailuresTest, AScopeFailsOnlyItsCallsOnItsPathsAfterTheSkippedOnesAndForItsCount) {
  EXPECT_FALSE(InjectedFailure(FileCall::kWrite, "/store/list.txt"));
  {
    ScopedFailure failure(FileCall::kWrite, DiskFull(), "list.txt", /*skip=*/1, /*times=*/2);
    EXPECT_FALSE(InjectedFailure(FileCall::kRead, "/store/list.txt"));   // another call
    EXPECT_FALSE(InjectedFailure(FileCall::kWrite, "/store/other.txt"));  // another path
    EXPECT_FALSE(InjectedFailure(FileCall::kWrite, "/store/list.txt"));   // skipped
    EXPECT_EQ(InjectedFailure(FileCall::kWrite, "/store/list.txt"), DiskFull());
    EXPECT_EQ(InjectedFailure(FileCall::kWrite, "/a/list.txt"), DiskFull());
    EXPECT_FALSE(InjectedFailure(FileCall::kWrite, "/store/list.txt"));  // spent
    EXPECT_EQ(failure.Failed(), 2);
  }
  EXPECT_FALSE(InjectedFailure(FileCall::kWrite, "/store/list.txt"));
}

TEST(InjectedFailuresTest, TheOldestMatchingScopeAnswersAndAnEmptyPartMatchesEveryCall) {
  const std::error_code denied = std::make_error_code(std::errc::permission_denied);
  ScopedFailure all(FileCall::kRename, denied);
  ScopedFailure later(FileCall::kRename, DiskFull(), "x");
  EXPECT_EQ(InjectedFailure(FileCall::kRename, "x"), denied);
  EXPECT_EQ(InjectedFailure(FileCall::kRename, ""), denied);
  EXPECT_EQ(later.Failed(), 0);
}

TEST(InjectedFailuresTest, ScopesOnOtherThreadsAreSeenAndCountedWithoutLoss) {
  ScopedFailure failure(FileCall::kFlush, DiskFull(), "", 0, 1000);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) EXPECT_TRUE(InjectedFailure(FileCall::kFlush, "f"));
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failure.Failed(), 800);
}

class InjectedServicesTest : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(InjectedServicesTest, TheFileObjectReportsInjectedOpenReadAndWriteFailures) {
  folder.Write("list.txt", "a;b;");
  CFile file;
  {
    ScopedFailure failure(FileCall::kOpen, DiskFull(), "list.txt");
    EXPECT_FALSE(file.Open(folder.Path("list.txt"), CFile::modeRead));
    EXPECT_EQ(file.LastError(), DiskFull());
  }
  ASSERT_TRUE(file.Open(folder.Path("list.txt"), CFile::modeReadWrite));
  char buffer[8];
  {
    // A failed read is not the end of the file: the object says why it stopped short.
    ScopedFailure failure(FileCall::kRead, DiskFull(), "list.txt");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(file.LastError(), DiskFull());
  }
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u);
  EXPECT_FALSE(file.LastError());
  {
    ScopedFailure failure(FileCall::kWrite, DiskFull(), "list.txt");
    EXPECT_FALSE(file.Write("c;", 2));
    EXPECT_EQ(file.LastError(), DiskFull());
  }
  file.Close();
  EXPECT_EQ(TempFolder::Read(folder.Path("list.txt")), "a;b;");
}

TEST_F(InjectedServicesTest, AReplacingWriteThatCannotWriteFlushOrRenameLeavesTheFileWhole) {
  folder.Write("list.txt", "before");
  for (const FileCall call : {FileCall::kWrite, FileCall::kFlush, FileCall::kRename}) {
    ScopedFailure failure(call, DiskFull(), "list.txt");
    EXPECT_EQ(WriteFileReplacing(folder.Path("list.txt").c_str(), "after"), DiskFull());
    EXPECT_EQ(failure.Failed(), 1);
    EXPECT_EQ(TempFolder::Read(folder.Path("list.txt")), "before");
  }
  EXPECT_FALSE(WriteFileReplacing(folder.Path("list.txt").c_str(), "after"));
  EXPECT_EQ(TempFolder::Read(folder.Path("list.txt")), "after");
}

TEST_F(InjectedServicesTest, AFolderFlushReportsTheInjectedFailure) {
  FolderHandle store;
  ASSERT_FALSE(store.Open(folder.Path().c_str()));
  ScopedFailure failure(FileCall::kFlush, DiskFull(), folder.Path());
  EXPECT_EQ(store.FlushFileSystem(), DiskFull());
  EXPECT_EQ(FlushFileSystemOf(folder.Path().c_str()), DiskFull());
}

}  // namespace
