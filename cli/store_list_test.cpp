// Tests of how the command line reads the store: the list in file order, a list that is not
// one, copies that are gone, and which entries lie under a folder.
#include "cli/store_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/injected_failures.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#if defined(_WIN32)
#include "platform/windows_system.h"
#endif

namespace {

const std::string kSep(1, kPathSeparator);

// A root folder of the platform, for absolute paths that need not exist.
std::string RootFolder() {
#if defined(_WIN32)
  return "C:\\";
#else
  return "/";
#endif
}

class StoreListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("prog");
    SetProgramPathForTesting(folder.Path("prog") + kSep + "quillmar");
  }
  void TearDown() override { SetProgramPathForTesting(""); }

  std::string Store() const { return folder.Path("prog") + kSep + "backups" + kSep; }

  TempFolder folder;
};

TEST_F(StoreListTest, AStoreNotMadeYetIsAnEmptyList) {
  StoreList list;
  EXPECT_FALSE(ReadStoreList(list));
  EXPECT_EQ(list.store, Store());
  EXPECT_TRUE(list.entries.empty());
}

TEST_F(StoreListTest, EntriesComeInFileOrderAndTextWithoutSeparatorIsRefused) {
  folder.MakeDir("prog/backups");
  folder.Write("prog/backups/list.txt", "b" + kSep + "z;a" + kSep + "y;;");
  StoreList list;
  ASSERT_FALSE(ReadStoreList(list));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"b" + kSep + "z", "a" + kSep + "y", ""}));

  folder.Write("prog/backups/list.txt", "no separator at all");
  StoreList invalid;
  EXPECT_EQ(ReadStoreList(invalid), std::errc::illegal_byte_sequence);
  EXPECT_TRUE(invalid.entries.empty());
}

TEST_F(StoreListTest, AListThatCannotBeOpenedOrReadWholeGivesTheSystemsReason) {
  folder.MakeDir("prog/backups");
  folder.Write("prog/backups/list.txt", "a;b;");
  {
#if defined(_WIN32)
    // Held by another program for its own use.
    const std::error_code expected(ERROR_SHARING_VIOLATION, std::system_category());
    CFile holder;
    ASSERT_TRUE(holder.Open(Store() + "list.txt", CFile::modeRead));
#else
    const std::error_code expected = std::make_error_code(std::errc::permission_denied);
    ScopedFailure failure(FileCall::kOpen, expected, "list.txt");
#endif
    StoreList list;
    EXPECT_EQ(ReadStoreList(list), expected);
    EXPECT_TRUE(list.entries.empty());
  }
  {
    // The read that would find the end fails, after the whole list came in.
#if defined(_WIN32)
    const std::error_code expected(ERROR_READ_FAULT, std::system_category());
#else
    const std::error_code expected = std::make_error_code(std::errc::io_error);
#endif
    ScopedFailure failure(FileCall::kRead, expected, "list.txt", /*skip=*/1);
    StoreList list;
    EXPECT_EQ(ReadStoreList(list), expected);
    EXPECT_TRUE(list.entries.empty());
  }
  StoreList list;
  EXPECT_FALSE(ReadStoreList(list));
  EXPECT_EQ(list.entries.size(), 2u);
}

TEST_F(StoreListTest, AnEntryHasACopyWhileItsOwnOrTheSharedOneIsThere) {
  folder.MakeDir("prog/backups");
  const std::string entry = folder.Path("data") + kSep + kSep + "a.txt";
  EXPECT_FALSE(HasCopy(Store(), entry));
  folder.Write("prog/backups/a.txtBACKUP", "shared");
  EXPECT_TRUE(HasCopy(Store(), entry));
}

TEST(LiesUnderTest, AFolderHoldsWhatIsBelowItNotWhatMerelyStartsAlike) {
  const std::string root = RootFolder();
  const std::optional<std::string> data = UnderFolder(root + "data");
  ASSERT_TRUE(data);
  EXPECT_TRUE(LiesUnder(root + "data" + kSep + "a.txt", *data));
  EXPECT_TRUE(LiesUnder(root + "data" + kSep + "sub" + kSep + kSep + "b.txt", *data));
  EXPECT_FALSE(LiesUnder(root + "data2" + kSep + "a.txt", *data));
  EXPECT_FALSE(LiesUnder(root + "data", *data));
  EXPECT_FALSE(LiesUnder("relative" + kSep + "data" + kSep + "a.txt", *data));
  // A trailing separator names the same folder; the root holds every absolute entry.
  EXPECT_EQ(UnderFolder(root + "data" + kSep), data);
  const std::optional<std::string> everything = UnderFolder(root);
  ASSERT_TRUE(everything);
  EXPECT_TRUE(LiesUnder(root + "data2" + kSep + "a.txt", *everything));
#if defined(_WIN32)
  // A drive's root holds that drive's entries only.
  EXPECT_FALSE(LiesUnder("D:\\data\\a.txt", *everything));
#endif
}

TEST(LiesUnderTest, DotAndDotDotPartsNameTheFolderAShellWouldEnter) {
  const std::string root = RootFolder();
  const std::optional<std::string> data = UnderFolder(root + "data");
  ASSERT_TRUE(data);
  for (const std::string& typed :
       {root + "data" + kSep + ".", root + "." + kSep + "data" + kSep + kSep,
        root + "other" + kSep + ".." + kSep + "data", root + ".." + kSep + "data"}) {
    EXPECT_EQ(UnderFolder(typed), data) << typed;
  }
  // Not everything: "." is a folder like any other.
  const std::optional<std::string> dotted = UnderFolder(root + "data" + kSep + "." + kSep + "sub");
  ASSERT_TRUE(dotted);
  EXPECT_FALSE(LiesUnder(root + "data" + kSep + "a.txt", *dotted));
  EXPECT_TRUE(LiesUnder(root + "data" + kSep + "sub" + kSep + kSep + "b.txt", *dotted));
}

}  // namespace
