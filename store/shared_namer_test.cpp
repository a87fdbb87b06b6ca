// Tests of the shared names given beside the copying, on real files: the order they were
// asked in decides which copy a shared name ends with, and none is lost at the end.
#include "store/shared_namer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_copies.h"
#include "platform/injected_failures.h"
#include "platform/test_support/file_system_without_links.h"
#include "platform/test_support/temp_folder.h"
#include "store/copy_origin.h"

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

TEST_F(SharedNamerTest, EveryNameThatCannotBeGivenIsHandedOutOnceInTheOrderAskedFor) {
  // More failures than the thread takes in one batch, among names that are given.
#if defined(_WIN32)
  const std::error_code failed(1117 /* ERROR_IO_DEVICE */, std::system_category());
#else
  const std::error_code failed = std::make_error_code(std::errc::io_error);
#endif
  constexpr int kFiles = 150;
  SharedNamer namer(folder.Path("store"));
  {
    ScopedFailure failure(FileCall::kLink, failed, "fails");
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = (i % 2 == 0 ? "fails" : "given") + std::to_string(i) + "BACKUP";
      namer.Give(OwnCopy(i), Shared(name), "/origin/" + std::to_string(i), false);
    }
    namer.Wait();
  }
  const std::vector<SharedNamer::Failure> failures = namer.TakeFailures();
  ASSERT_EQ(failures.size(), static_cast<std::size_t>(kFiles / 2));
  for (std::size_t k = 0; k < failures.size(); ++k) {
    EXPECT_EQ(failures[k].origin, "/origin/" + std::to_string(2 * k));
    EXPECT_EQ(failures[k].error, failed);
  }
  EXPECT_TRUE(namer.TakeFailures().empty());
  EXPECT_EQ(TempFolder::Read(Shared("given1BACKUP")), "1");
  EXPECT_FALSE(std::filesystem::exists(Shared("fails0BACKUP")));
}

}  // namespace
