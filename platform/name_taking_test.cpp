// Tests of how a copy takes a name that may already be taken: a further name only where
// nothing has it, and a copy that replaces what has its name only once its caller has been
// told, on both platforms, with and without hard links.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_copies.h"
#include "platform/platform_files.h"
#include "platform/test_support/file_system_without_links.h"
#include "platform/test_support/temp_folder.h"

namespace {

std::ptrdiff_t EntriesIn(const std::string& path) {
  return std::distance(std::filesystem::directory_iterator(path),
                       std::filesystem::directory_iterator());
}

class NameTakingTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!GetParam()) m_noLinks.emplace();
    folder.MakeDir("work");
    folder.MakeDir("names");
    folder.Write("source", "new contents");
  }
  std::string Work() const { return folder.Path("work"); }
  std::string Name() const { return folder.Path("names/name"); }

  TempFolder folder;

 private:
  std::optional<FileSystemWithoutLinks> m_noLinks;
};

INSTANTIATE_TEST_SUITE_P(Links, NameTakingTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "HardLinks" : "NoHardLinks";
                         });

TEST_P(NameTakingTest, AFurtherNameIfFreeNeverTakesANameThatIsTaken) {
  ASSERT_FALSE(AddNameIfFree(folder.Path("source"), Name(), Work(), nullptr));
  EXPECT_EQ(TempFolder::Read(Name()), "new contents");
  FileIdentity source, named;
  ASSERT_FALSE(IdentifyFile(folder.Path("source").c_str(), source));
  ASSERT_FALSE(IdentifyFile(Name().c_str(), named));
  EXPECT_EQ(source.index == named.index, GetParam());

  folder.Write("names/name", "what had the name");
  EXPECT_EQ(AddNameIfFree(folder.Path("source"), Name(), Work(), nullptr), std::errc::file_exists);
  EXPECT_EQ(TempFolder::Read(Name()), "what had the name");
  EXPECT_TRUE(AddNameIfFree(folder.Path("gone"), folder.Path("names/other"), Work(), nullptr));
  EXPECT_EQ(EntriesIn(Work()), 0);
  EXPECT_EQ(EntriesIn(folder.Path("names")), 1);
}

TEST_P(NameTakingTest, ACopyReplacesWhatHasItsNameOnlyAfterItsCallerWasTold) {
  for (const bool guess : {false, true}) {
    SCOPED_TRACE(guess ? "guessed taken" : "guessed free");
    std::filesystem::remove(Name());
    int told = 0;
    std::string heldWhenTold;
    const BeforeReplacing tell = [&]() -> std::error_code {
      ++told;
      heldWhenTold = TempFolder::Read(Name());
      return {};
    };
    // A free name is taken without a word, but for a guess that it was taken, which may
    // save the look.
    NamedCopyResult result =
        CopyFileToName(folder.Path("source").c_str(), Work(), Name(), nullptr, guess, tell);
    ASSERT_FALSE(result.source || result.write || result.name);
    EXPECT_EQ(TempFolder::Read(Name()), "new contents");
    EXPECT_LE(told, guess ? 1 : 0);

    // A taken one: the caller sees what has it, then the copy has it.
    told = 0;
    folder.Write("names/name", "what had the name");
    result = CopyFileToName(folder.Path("source").c_str(), Work(), Name(), nullptr, guess, tell);
    ASSERT_FALSE(result.source || result.write || result.name);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(heldWhenTold, "what had the name");
    EXPECT_EQ(TempFolder::Read(Name()), "new contents");

    // A caller that refuses keeps what has the name, and no part of the copy stays.
    folder.Write("names/name", "what had the name");
    const BeforeReplacing refuse = [] {
      return std::make_error_code(std::errc::no_space_on_device);
    };
    result = CopyFileToName(folder.Path("source").c_str(), Work(), Name(), nullptr, guess, refuse);
    EXPECT_EQ(result.name, std::errc::no_space_on_device);
    EXPECT_EQ(TempFolder::Read(Name()), "what had the name");
    EXPECT_EQ(EntriesIn(Work()), 0);
    EXPECT_EQ(EntriesIn(folder.Path("names")), 1);
  }
}

}  // namespace
