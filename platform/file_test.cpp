// Tests of CFile: mode bits, the null handle, reading, writing, length and the end position.
#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/test_support/temp_folder.h"

namespace {

class FileTest : public ::testing::Test {
 protected:
  void Put(const std::string& content) {
    std::ofstream(m_path, std::ios::binary | std::ios::trunc) << content;
  }
  std::string Get() const {
    std::ifstream in(m_path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  bool DescriptorOpen(int fd) const { return ::fcntl(fd, F_GETFD) != -1; }
  static int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
      while (dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
      ::closedir(dir);
    }
    return count - 1;  // the listing's own descriptor
  }

  TempFolder m_temp;
  const std::string m_folder = m_temp.Path();
  const std::string m_path = m_temp.Path("list.txt");
};

TEST_F(FileTest, ClosedObjectHoldsTheNullHandleAndRefusesWork) {
  CFile file;
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_FALSE(file.IsOpen());
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_EQ(file.SeekToEnd(), -1);
  EXPECT_EQ(file.GetLength(), 0u);
  EXPECT_FALSE(file.SetLength(0));
  file.Close();  // harmless
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
}

TEST_F(FileTest, OpenWithoutCreateNeedsAnExistingFile) {
  CFile file;
  EXPECT_FALSE(file.Open(m_path, CFile::modeNoTruncate | CFile::modeReadWrite));
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_NE(::access(m_path.c_str(), F_OK), 0);
}

TEST_F(FileTest, OnlyRegularFilesOpen) {
  const int before = OpenDescriptors();
  CFile file;
  // A folder, a FIFO with no writer and a device in the list's place: each is refused at
  // once, whatever the mode, and leaves no descriptor behind.
  ASSERT_EQ(::mkdir(m_path.c_str(), 0777), 0);
  EXPECT_FALSE(file.Open(m_path, CFile::modeRead));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(file.Open(m_path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
  ASSERT_EQ(::rmdir(m_path.c_str()), 0);
  ASSERT_EQ(::mkfifo(m_path.c_str(), 0666), 0);
  EXPECT_FALSE(file.Open(m_path, CFile::modeRead));
  EXPECT_FALSE(file.Open(m_path, CFile::modeNoTruncate | CFile::modeReadWrite));
  EXPECT_FALSE(file.Open("/dev/null", CFile::modeRead));
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(FileTest, CreateKeepsContentOnlyWithNoTruncate) {
  Put("kept");
  {
    CFile file;
    ASSERT_TRUE(
        file.Open(m_path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
    EXPECT_EQ(file.GetLength(), 4u);
  }
  EXPECT_EQ(Get(), "kept");
  {
    CFile file;
    ASSERT_TRUE(file.Open(m_path, CFile::modeCreate | CFile::shareDenyNone | CFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
  }
  EXPECT_EQ(Get(), "");
  ::unlink(m_path.c_str());
  CFile file;
  ASSERT_TRUE(file.Open(m_path, 0x3002));
  EXPECT_EQ(::access(m_path.c_str(), F_OK), 0);
}

TEST_F(FileTest, WritesGoToTheEndAfterSeekToEnd) {
  Put("abc;");
  CFile file;
  ASSERT_TRUE(file.Open(m_path, 0x2002));
  EXPECT_EQ(file.SeekToEnd(), 4);
  EXPECT_TRUE(file.Write("de;", 3));
  EXPECT_EQ(file.GetLength(), 7u);
  file.Close();
  EXPECT_EQ(Get(), "abc;de;");
}

TEST_F(FileTest, ReadReturnsWhatIsThereAndSetLengthCuts) {
  Put("0123456789");
  CFile file;
  ASSERT_TRUE(file.Open(m_path, CFile::modeRead));
  char buffer[32] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 10u);
  EXPECT_EQ(std::string(buffer), "0123456789");
  EXPECT_FALSE(file.Write("x", 1));  // read-only
  file.Close();
  ASSERT_TRUE(file.Open(m_path, CFile::modeReadWrite));
  EXPECT_TRUE(file.SetLength(4));
  EXPECT_EQ(file.GetLength(), 4u);
  file.Close();
  EXPECT_EQ(Get(), "0123");
}

TEST_F(FileTest, DescriptorIsClosedOnExecAndReleasedByCloseReopenAndDestruction) {
  Put("x");
  int before = OpenDescriptors();
  int last;
  {
    CFile file;
    ASSERT_TRUE(file.Open(m_path, CFile::modeRead));
    EXPECT_TRUE(::fcntl(file.m_hFile, F_GETFD) & FD_CLOEXEC);
    EXPECT_EQ(OpenDescriptors(), before + 1);
    // Reopening an open object must not hold a second descriptor.
    ASSERT_TRUE(file.Open(m_path, CFile::modeRead));
    EXPECT_EQ(OpenDescriptors(), before + 1);
    file.Close();
    EXPECT_EQ(OpenDescriptors(), before);
    ASSERT_TRUE(file.Open(m_path, CFile::modeRead));
    last = file.m_hFile;
  }
  EXPECT_FALSE(DescriptorOpen(last));
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
