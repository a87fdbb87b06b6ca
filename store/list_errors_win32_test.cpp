// Tests that the list's writers report Windows' own reason when list.txt cannot be opened or
// written: a list another program holds open, and a list the user made read-only.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/folder_handle.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"
#include "store/list_append.h"
#include "store/list_rewrite.h"

namespace {

std::error_code WindowsError(DWORD code) {
  return std::error_code(static_cast<int>(code), std::system_category());
}

class ListErrorsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    store.Write("list.txt", "C:\\a.txt;");
    ASSERT_FALSE(storeFolder.Open(store.Path("").c_str()));
  }
  std::string ListPath() const { return store.Path("list.txt"); }

  TempFolder store;
  FolderHandle storeFolder;
};

TEST_F(ListErrorsWin32Test, AListHeldByAnotherProgramGivesTheSharingViolation) {
  CFile holder;  // opened for exclusive use, as another instance's clean holds it
  ASSERT_TRUE(holder.Open(ListPath(), CFile::modeReadWrite));

  const std::error_code rewrite =
      RewriteList(ListPath(), [](std::string) { return std::optional<std::string>(""); });
  EXPECT_EQ(rewrite, WindowsError(ERROR_SHARING_VIOLATION)) << rewrite.message();
  EXPECT_NE(ErrorText(rewrite), ErrorText(std::make_error_code(std::errc::io_error)));

  CFile list;
  EXPECT_FALSE(OpenListForAppend(list, ListPath().c_str(), /*create=*/false));
  EXPECT_EQ(list.LastError(), WindowsError(ERROR_SHARING_VIOLATION));
  const std::error_code append = AppendRecord(list, ListPath().c_str(), storeFolder, "C:\\b;");
  EXPECT_EQ(append, WindowsError(ERROR_SHARING_VIOLATION)) << append.message();
  holder.Close();
  EXPECT_EQ(TempFolder::Read(ListPath()), "C:\\a.txt;");
}

TEST_F(ListErrorsWin32Test, AReadOnlyListGivesAccessDenied) {
  ASSERT_TRUE(::SetFileAttributesA(ListPath().c_str(), FILE_ATTRIBUTE_READONLY));
  CFile list;
  const bool opened = OpenListForAppend(list, ListPath().c_str(), /*create=*/false);
  ::SetFileAttributesA(ListPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  if (opened) GTEST_SKIP() << "this system lets its administrator write a read-only file";
  EXPECT_EQ(list.LastError(), WindowsError(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(list.IsOpen());
}

TEST_F(ListErrorsWin32Test, AClosedListSaysSo) {
  CFile list;
  EXPECT_FALSE(list.Write("x", 1));
  EXPECT_EQ(list.LastError(), std::errc::bad_file_descriptor);
  ASSERT_TRUE(list.Open(ListPath(), CFile::modeReadWrite));
  EXPECT_TRUE(list.Write("x", 1));
  EXPECT_FALSE(list.LastError());
}

}  // namespace
