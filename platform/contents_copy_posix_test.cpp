// Tests of copies of sparse files: the holes stay holes in the store's copy and in the file
// restored from it, and a sparse file written to meanwhile is still caught.
#include "platform/contents_copy_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/file_copies.h"
#include "platform/pending_file_posix.h"
#include "platform/test_support/rewriting_process.h"
#include "platform/test_support/temp_folder.h"

namespace {

constexpr off_t kGiB = off_t{1} << 30;

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

// What the file holds at offset, as many bytes as expected has.
std::string Bytes(const std::string& path, off_t offset, std::size_t count) {
  FdGuard file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  std::string bytes(count, '\0');
  const ssize_t got = ::pread(file.get(), bytes.data(), count, offset);
  bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return bytes;
}

TEST(SparseCopyTest, A1GiBFileOfAFewBlocksStaysSparseInTheStoreAndOnceRestored) {
  TempFolder folder;
  folder.MakeDir("work");
  const std::string source = folder.Path("disk.img");
  const std::string block(4096, 'x');
  const off_t offsets[] = {0, 300 * 4096, kGiB / 2 + 17, kGiB - 4096};
  {
    FdGuard file(::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    ASSERT_GE(file.get(), 0);
    ASSERT_EQ(::ftruncate(file.get(), kGiB), 0);
    for (off_t offset : offsets) {
      ASSERT_EQ(::pwrite(file.get(), block.data(), block.size(), offset), 4096);
    }
  }
  const blkcnt_t sourceBlocks = StatOf(source).st_blocks;
  if (sourceBlocks * 512 >= kGiB) GTEST_SKIP() << "the temporary folder keeps no holes";

  const std::string copy = folder.Path("copy");
  const NamedCopyResult copied = CopyFileToName(source.c_str(), folder.Path("work"), copy, nullptr);
  ASSERT_FALSE(copied.source);
  ASSERT_FALSE(copied.write);
  ASSERT_FALSE(copied.name);
  SourceFile stored;
  ASSERT_FALSE(stored.Open(copy.c_str()));
  const std::string restored = folder.Path("restored");
  ASSERT_FALSE(stored.CopyTo(restored.c_str(), /*failIfExists=*/true));

  for (const std::string& path : {copy, restored}) {
    SCOPED_TRACE(path);
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_size, kGiB);
    // The data and what the file system rounds it to, far from the gigabyte written out.
    EXPECT_LE(st.st_blocks, sourceBlocks + 64);
    for (off_t offset : offsets) EXPECT_EQ(Bytes(path, offset, block.size()), block);
    EXPECT_EQ(Bytes(path, 4096, 8), std::string(8, '\0'));
    EXPECT_EQ(Bytes(path, kGiB - 4097, 1), std::string(1, '\0'));
  }
}

TEST(SparseCopyTest, ASparseFileWrittenToWhileCopiedIsNotCopied) {
  // In memory, so that the writer is never held up long by the disk's write-back.
  TempFolder memory("quillmar-test-", TempFolder::InMemoryParent());
  memory.MakeDir("work");
  const std::string source = memory.Path("sparse");
  RewritingProcess writer(source, 2 * RewritingProcess::kChunk, kGiB);
  ASSERT_TRUE(writer.Running());
  if (StatOf(source).st_blocks * 512 >= kGiB) GTEST_SKIP() << "the memory folder keeps no holes";
  int dropped = 0;
  for (int attempt = 0; attempt < 12; ++attempt) {
    const NamedCopyResult result =
        CopyFileToName(source.c_str(), memory.Path("work"), memory.Path("copy"), nullptr);
    ASSERT_FALSE(result.write);
    ASSERT_FALSE(result.name);
    if (result.source) {
      EXPECT_EQ(result.source, ChangedWhileCopied());
      ++dropped;
    } else {
      EXPECT_LT(StatOf(memory.Path("copy")).st_blocks * 512, kGiB);
    }
  }
  // The writer rewrites the file without a pause: some copies must have met it.
  EXPECT_GT(dropped, 0);
}

}  // namespace
