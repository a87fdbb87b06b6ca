// Tests of CFile over Win32 handles: the open modes, exclusive use without the sharing bit,
// appends from two handles, whether an open file still has its name, and the length, end and
// truncation operations.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/file.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"

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

TEST_F(FileWin32Test, AppendsFromTwoHandlesEachLandAtTheEnd) {
  constexpr unsigned kAppend = CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate |
                               CFile::modeAppend | CFile::shareDenyNone;
  CFile first, second;
  ASSERT_TRUE(first.Open(path, kAppend));
  ASSERT_TRUE(second.Open(path, kAppend));
  // Without the append mode each handle writes at its own position, and the second record
  // overwrites the first.
  ASSERT_TRUE(first.Write("one;", 4));
  ASSERT_TRUE(second.Write("two;", 4));
  ASSERT_TRUE(first.Write("three;", 6));
  CFileStatus status;
  ASSERT_TRUE(second.GetStatus(status));
  EXPECT_EQ(status.m_size, 14u);
  EXPECT_TRUE(status.m_named);
  // A record taken back comes off the end, whoever wrote last.
  ASSERT_TRUE(second.SetLength(8));
  first.Close();
  second.Close();
  EXPECT_EQ(TempFolder::Read(path), "one;two;");
}

TEST_F(FileWin32Test, AnOpenFileKeepsItsNameForNoneCanBePutInItsPlace) {
  folder.Write("list.txt", "old;");
  CFile open;
  ASSERT_TRUE(open.Open(path, CFile::modeReadWrite | CFile::shareDenyNone));
  CFileStatus status;
  ASSERT_TRUE(open.GetStatus(status));
  EXPECT_TRUE(status.m_named);
  EXPECT_EQ(status.m_size, 4u);
  // Unlike Linux, Windows puts no other file in the place of one that is open, whatever it
  // shares: the rewrite is refused and the open file keeps its name.
  EXPECT_EQ(WriteFileReplacing(path.c_str(), "new;").value(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(open.GetStatus(status));
  EXPECT_TRUE(status.m_named);
  EXPECT_EQ(status.m_size, 4u);
  EXPECT_EQ(TempFolder::Read(path), "old;");
  // Nor does the refused rewrite leave its temporary behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

  open.Close();
  EXPECT_FALSE(open.GetStatus(status));
}

}  // namespace
