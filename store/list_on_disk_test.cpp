// Tests of a front end's rewrites of list.txt: many entries removed in one rewrite, and when the
// system fails them, a failed read or write loses no entry and a failed rewrite leaves the
// front end's picture as the file still is.
#include "store/list_on_disk.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>

#include "platform/file.h"
#include "platform/injected_failures.h"
#include "platform/test_support/temp_folder.h"
#include "store/list_rewrite.h"

namespace {

// The errors each platform's services hand on unchanged: a file grown too large, and a
// device that fails to read.
std::error_code FileTooLarge() {
#if defined(_WIN32)
  return std::error_code(223 /* ERROR_FILE_TOO_LARGE */, std::system_category());
#else
  return std::make_error_code(std::errc::file_too_large);
#endif
}

std::error_code ReadFault() {
#if defined(_WIN32)
  return std::error_code(30 /* ERROR_READ_FAULT */, std::system_category());
#else
  return std::make_error_code(std::errc::io_error);
#endif
}

class ListOnDiskTest : public ::testing::Test {
 protected:
  std::string ListPath() const { return folder.Path("list.txt"); }
  std::string OnDisk() const { return TempFolder::Read(ListPath()); }
  void Load(ListOnDisk& list, const std::string& contents) {
    folder.Write("list.txt", contents);
    list.Loaded(ListPath(), contents);
  }

  TempFolder folder;
};

TEST_F(ListOnDiskTest, ARewriteThatCannotBeWrittenOrPutInPlaceLeavesThePictureAsTheFileIs) {
  for (const FileCall call : {FileCall::kWrite, FileCall::kRename}) {
    SCOPED_TRACE(call == FileCall::kWrite ? "write" : "rename");
    ListOnDisk list;
    Load(list, "a;c;");
    folder.Write("list.txt", "a;c;b;");  // another instance appended b meanwhile
    {
      ScopedFailure failure(call, FileTooLarge(), "list.txt");
      EXPECT_EQ(list.Remove("a"), FileTooLarge());
      EXPECT_GE(failure.Failed(), 1);
    }
    EXPECT_EQ(OnDisk(), "a;c;b;");
    // The entry appended meanwhile is still another instance's, counted once: the front
    // end's own c is found and goes, and a, whose rewrite failed, stays with b.
    EXPECT_FALSE(list.Remove("c"));
    EXPECT_EQ(OnDisk(), "b;a;");
    EXPECT_FALSE(list.Remove("a"));
    EXPECT_EQ(OnDisk(), "b;");
  }
}

TEST_F(ListOnDiskTest, AListThatCannotBeReadWholeIsNotRewritten) {
  // Every read failing, or only the one after the first part of the list: either way the
  // rewrite would write back a list cut short.
  for (const int skip : {0, 1}) {
    SCOPED_TRACE(skip);
    ListOnDisk list;
    Load(list, "a;b;c;");
    {
      ScopedFailure failure(FileCall::kRead, ReadFault(), "list.txt", skip);
      EXPECT_EQ(list.Remove("b"), ReadFault());
      EXPECT_GE(failure.Failed(), 1);
    }
    EXPECT_EQ(OnDisk(), "a;b;c;");
    EXPECT_FALSE(list.Remove("b"));
    EXPECT_EQ(OnDisk(), "c;a;");
  }
}

TEST_F(ListOnDiskTest, RemovingManyDropsOneOccurrenceEachInOneRewriteAndKeepsWhatWasAppended) {
  ListOnDisk list;
  Load(list, "a;b;a;c;d;");
  folder.Write("list.txt", "a;b;a;c;d;n;b;");  // another instance appended n and b meanwhile
  // a twice, b once, and x, which another instance removed: passed over.
  EXPECT_FALSE(list.RemoveAll({"a", "b", "x", "a"}));
  // Latest first: the appended records, then the front end's own less those removed; the
  // appended b is another instance's and stays.
  EXPECT_EQ(OnDisk(), "b;n;d;c;");
  // The picture follows the file: a later rewrite keeps its order and the appended records.
  EXPECT_FALSE(list.RemoveAll({"c"}));
  EXPECT_EQ(OnDisk(), "b;n;d;");
}

TEST_F(ListOnDiskTest, AListReadInsideARecordBeingAppendedKeepsThatRecordWhole) {
  ListOnDisk list;
  // Read while another instance's "/elsewhere/r1;" was half written.
  list.Loaded(ListPath(), "a;b;/els");
  folder.Write("list.txt", "a;b;/elsewhere/r1;c;");
  EXPECT_FALSE(list.RemoveAll({"a"}));
  EXPECT_EQ(OnDisk(), "c;/elsewhere/r1;b;");
  // A record the file ends without, with nothing after it, is the front end's own.
  ListOnDisk edited;
  Load(edited, "a;b;/typed");
  EXPECT_FALSE(edited.RemoveAll({"/typed"}));
  EXPECT_EQ(OnDisk(), "b;a;");
}

TEST_F(ListOnDiskTest, RemovingOnlyWhatIsGoneLeavesTheFileAsItIs) {
  ListOnDisk list;
  Load(list, std::string("a;b;\0after zero;", 16));
  {
    // A rewrite would meet this; none must happen.
    ScopedFailure failure(FileCall::kWrite, FileTooLarge(), "list.txt");
    EXPECT_FALSE(list.RemoveAll({"x", "y"}));
    EXPECT_FALSE(list.RemoveAll({}));
    EXPECT_EQ(failure.Failed(), 0);
  }
  EXPECT_EQ(OnDisk(), std::string("a;b;\0after zero;", 16));
  // What follows a zero byte is no entry, but it is kept behind the entries written.
  EXPECT_FALSE(list.RemoveAll({"a"}));
  EXPECT_EQ(OnDisk(), std::string("b;\0after zero;", 14));
}

TEST_F(ListOnDiskTest, ReadingTheListSaysWhyItStoppedShort) {
  folder.Write("list.txt", "a;b;");
  CFile file;
  ASSERT_TRUE(file.Open(ListPath(), CFile::modeRead));
  std::string contents;
  {
    ScopedFailure failure(FileCall::kRead, ReadFault(), "list.txt", /*skip=*/1);
    EXPECT_EQ(ReadListContents(file, contents), ReadFault());
  }
  ASSERT_TRUE(file.Open(ListPath(), CFile::modeRead));
  EXPECT_FALSE(ReadListContents(file, contents));
  EXPECT_EQ(contents, "a;b;");
}

}  // namespace
