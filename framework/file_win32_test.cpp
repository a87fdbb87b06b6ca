// Tests of CFile over Win32 handles: the open modes, exclusive use without the sharing bit,
// and the length, end and truncation operations.
#include <gtest/gtest.h>

#include <string>

#include "framework/file.h"
#include "framework/test_support/temp_folder.h"
#include "framework/windows_api.h"

namespace {

class FileWin32Test : public ::testing::Test {
 protected:
  TempFolder folder;
  const std::string path = folder.Path("list.txt");
};

TEST_F(FileWin32Test, ModesCreateKeepOrTruncate) {
  CFile file;
  // Existing file only: fails when there is none, and the object stays closed.
  EXPECT_FALSE(file.Open(path, CFile::modeReadWrite | CFile::modeNoTruncate));
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  folder.Write("list.txt", "abc;");
  ASSERT_TRUE(file.Open(path, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate));
  EXPECT_EQ(file.GetLength(), 4u);
  EXPECT_EQ(file.SeekToEnd(), 4);
  ASSERT_TRUE(file.Write("de;", 3));
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // at the end
  ASSERT_TRUE(file.SetLength(4));
  file.Close();
  EXPECT_EQ(TempFolder::Read(path), "abc;");

  ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::shareDenyNone));
  EXPECT_EQ(file.GetLength(), 0u);  // create without keep: emptied
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  file.Close();  // harmless when closed
}

TEST_F(FileWin32Test, WithoutTheSharingBitNobodyElseOpensTheFile) {
  folder.Write("list.txt", "x;");
  CFile engine;
  ASSERT_TRUE(engine.Open(path, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate));
  CFile other;
  EXPECT_FALSE(other.Open(path, CFile::modeRead));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  engine.Close();
  ASSERT_TRUE(other.Open(path, CFile::modeRead | CFile::shareDenyNone));
  CFile third;
  EXPECT_TRUE(third.Open(path, CFile::modeRead | CFile::shareDenyNone));
  char buffer[8] = {};
  EXPECT_EQ(third.Read(buffer, sizeof buffer), 2u);
  EXPECT_STREQ(buffer, "x;");
}

TEST_F(FileWin32Test, FoldersAndDevicesAreNoFiles) {
  CFile file;
  EXPECT_FALSE(file.Open(folder.Path(), CFile::modeRead));
  EXPECT_FALSE(file.Open("NUL", CFile::modeRead));
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
