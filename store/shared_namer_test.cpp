// Tests of the shared names given beside the copying, on real files: the order they were
// asked in decides which copy a shared name ends with, and none is lost at the end.
#include "store/shared_namer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_copies.h"
#include "platform/test_support/temp_folder.h"
#include "store/copy_origin.h"
#include "platform/test_support/file_system_without_links.h"

namespace {

class SharedNamerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("store/paths");
    // Wine's view of a Linux folder keeps no notes: there a copy has no origin to show.
    folder.Write("probe", "");
    keepsNotes = !AttachFileNote(folder.Path("probe").c_str(), FileNote{"quillmar.test", "x"});
  }

  // An own copy below "paths" holding its number.
  std::string OwnCopy(int number) const {
    const std::string relative = "store/paths/f" + std::to_string(number);
    folder.Write(relative, std::to_string(number));
    return folder.Path(relative);
  }
  std::string Shared(const std::string& name) const { return folder.Path("store/" + name); }

  // The origin a copy taken from origin shows.
  std::optional<std::string> Shown(const std::string& origin) const {
    return keepsNotes ? std::optional<std::string>(origin) : std::nullopt;
  }

  TempFolder folder;
  bool keepsNotes = false;
};

TEST_F(SharedNamerTest, EachSharedNameEndsWithTheLastCopyAskedForIt) {
  // More files than the thread takes in one batch, and more than may wait at once.
  constexpr int kFiles = 700;
  {
    SharedNamer namer(folder.Path("store"));
    for (int i = 0; i < kFiles; ++i) {
      const std::string own = OwnCopy(i);
      namer.Give(own, Shared("n" + std::to_string(i % 3) + "BACKUP"), "/origin",
                 /*likelyTaken=*/i >= 3);
      namer.Give(own, Shared("u" + std::to_string(i) + "BACKUP"), "/origin", false);
    }
  }
  for (int r = 0; r < 3; ++r) {
    const int last = kFiles - 1 - (kFiles - 1 - r) % 3;  // the last number i with i % 3 == r
    EXPECT_EQ(TempFolder::Read(Shared("n" + std::to_string(r) + "BACKUP")), std::to_string(last));
  }
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_EQ(TempFolder::Read(Shared("u" + std::to_string(i) + "BACKUP")), std::to_string(i));
  }
  // Every hidden name on the way is gone: the names and the mirror are all that is left.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("store")),
                          std::filesystem::directory_iterator()),
            1 + 3 + kFiles);
}

std::optional<std::string> OriginOfFile(const std::string& path) {
  SourceFile copy;
  if (copy.Open(path.c_str())) return std::nullopt;
  return OriginOf(copy);
}

TEST_F(SharedNamerTest, WaitReturnsOnceAFewNamesAreGivenWithTheirOrigins) {
  SharedNamer namer(folder.Path("store"));
  for (int i = 0; i < 5; ++i) {
    namer.Give(OwnCopy(i), Shared("aBACKUP"), "/home/me/" + std::to_string(i), i > 0);
  }
  namer.Wait();
  EXPECT_EQ(TempFolder::Read(Shared("aBACKUP")), "4");
  EXPECT_EQ(OriginOfFile(Shared("aBACKUP")), Shown("/home/me/4"));
  // A copy written straight to the name after the wait stays, as nothing older is pending.
  folder.Write("store/aBACKUP", "written straight");
  namer.Wait();
  EXPECT_EQ(TempFolder::Read(Shared("aBACKUP")), "written straight");
}

TEST_F(SharedNamerTest, WithoutHardLinksTheSharedCopyIsItsOwnFileWithItsOrigin) {
  FileSystemWithoutLinks noLinks;
  {
    SharedNamer namer(folder.Path("store"));
    namer.Give(OwnCopy(7), Shared("aBACKUP"), "/home/me/a", false);
  }
  EXPECT_EQ(TempFolder::Read(Shared("aBACKUP")), "7");
  EXPECT_EQ(OriginOfFile(Shared("aBACKUP")), Shown("/home/me/a"));
  // Changing the own copy leaves the shared one as it was: they are two files.
  folder.Write("store/paths/f7", "changed");
  EXPECT_EQ(TempFolder::Read(Shared("aBACKUP")), "7");
}

}  // namespace
