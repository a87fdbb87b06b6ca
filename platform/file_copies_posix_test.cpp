// Tests of a copy and its further names and of copies from a source held open, on real files.
#include "platform/file_copies.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <filesystem>

#include "platform/test_support/temp_folder.h"
#include "platform/test_support/file_system_without_links.h"
#include "platform/test_support/rewriting_process.h"

namespace {

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

std::ptrdiff_t EntriesIn(const std::string& path) {
  return std::distance(std::filesystem::directory_iterator(path),
                       std::filesystem::directory_iterator());
}

class FileCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("work");
    folder.MakeDir("mirror/a");
    folder.Write("source", "new contents");
  }

  std::vector<std::string> Names() const {
    return {folder.Path("mirror/a/source"), folder.Path("work/sourceBACKUP")};
  }

  TempFolder folder;
};

TEST_F(FileCopiesTest, BothNamesAreOneFileWhereLinksExistAndTwoWhereTheyDoNot) {
  for (const bool refused : {false, true}) {
    for (const bool guess : {false, true}) {
      SCOPED_TRACE(std::string(refused ? "no hard links" : "hard links") +
                   (guess ? ", guessed taken" : ", guessed free"));
      std::optional<FileSystemWithoutLinks> noLinks;
      if (refused) noLinks.emplace();
      // Older copies under both names are replaced whole.
      folder.Write("mirror/a/source", "old own copy");
      folder.Write("work/sourceBACKUP", "old shared copy");
      const FileNote note{"quillmar.test", "/the/origin"};
      const NamedCopyResult result = CopyFileToName(folder.Path("source").c_str(),
                                                    folder.Path("work"), Names()[0], &note, guess);
      ASSERT_FALSE(result.source);
      ASSERT_FALSE(result.write);
      EXPECT_FALSE(result.name);
      EXPECT_FALSE(AddNameReplacing(Names()[0], Names()[1], folder.Path("work"), &note, guess));
      for (const std::string& name : Names()) {
        EXPECT_EQ(TempFolder::Read(name), "new contents");
        EXPECT_EQ(ReadFileNote(name.c_str(), "quillmar.test"), "/the/origin");
      }
      const struct stat own = StatOf(Names()[0]);
      const struct stat shared = StatOf(Names()[1]);
      EXPECT_EQ(own.st_ino == shared.st_ino, !refused);
      EXPECT_EQ(own.st_nlink, refused ? 1u : 2u);
      // Hidden names on the way lie only in the work folder, and none is left there either.
      EXPECT_EQ(EntriesIn(folder.Path("mirror/a")), 1);
      EXPECT_EQ(EntriesIn(folder.Path("work")), 1);
    }
  }
}

TEST_F(FileCopiesTest, ASourceThatCannotBeReadTouchesNoName) {
  folder.Write("work/sourceBACKUP", "kept");
  const NamedCopyResult result = CopyFileToName(folder.Path("gone").c_str(), folder.Path("work"),
                                                folder.Path("work/sourceBACKUP"), nullptr);
  EXPECT_EQ(result.source, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(result.name);
  EXPECT_EQ(TempFolder::Read(folder.Path("work/sourceBACKUP")), "kept");
}

TEST_F(FileCopiesTest, ANameThatCannotBeTakenFailsAndLeavesNoHiddenName) {
  std::filesystem::create_directories(folder.Path("mirror/a/source"));  // a folder in the way
  for (const bool guess : {false, true}) {
    const NamedCopyResult result = CopyFileToName(folder.Path("source").c_str(),
                                                  folder.Path("work"), Names()[0], nullptr, guess);
    ASSERT_FALSE(result.source);
    ASSERT_FALSE(result.write);
    EXPECT_TRUE(result.name);
    EXPECT_TRUE(std::filesystem::is_directory(Names()[0]));
    EXPECT_EQ(EntriesIn(folder.Path("work")), 0);
  }
}

TEST_F(FileCopiesTest, AFurtherNameReplacesWhatHadItWhateverTheGuessSaid) {
  const FileNote note{"quillmar.test", "/the/origin"};
  ASSERT_FALSE(CopyFileReplacing(folder.Path("source").c_str(), Names()[0].c_str(), false, &note));
  for (const bool refused : {false, true}) {
    for (const bool taken : {false, true}) {
      for (const bool guess : {false, true}) {
        SCOPED_TRACE(std::string(refused ? "no hard links" : "hard links") +
                     (taken ? ", name taken" : ", name free") + (guess ? ", guessed taken" : ""));
        std::optional<FileSystemWithoutLinks> noLinks;
      if (refused) noLinks.emplace();
        std::filesystem::remove(Names()[1]);
        if (taken) folder.Write("work/sourceBACKUP", "old shared copy");
        ASSERT_FALSE(AddNameReplacing(Names()[0], Names()[1], folder.Path("work"), &note, guess));
        EXPECT_EQ(TempFolder::Read(Names()[1]), "new contents");
        EXPECT_EQ(ReadFileNote(Names()[1].c_str(), "quillmar.test"), "/the/origin");
        EXPECT_EQ(StatOf(Names()[0]).st_ino == StatOf(Names()[1]).st_ino, !refused);
        EXPECT_EQ(EntriesIn(folder.Path("work")), 1);
        EXPECT_EQ(EntriesIn(folder.Path("mirror/a")), 1);
      }
    }
  }
}

TEST_F(FileCopiesTest, AFurtherNameForAFileThatIsGoneLeavesTheNameAsItWas) {
  folder.Write("work/sourceBACKUP", "kept");
  for (const bool refused : {false, true}) {
    std::optional<FileSystemWithoutLinks> noLinks;
    if (refused) noLinks.emplace();
    EXPECT_EQ(AddNameReplacing(folder.Path("mirror/a/gone"), Names()[1], folder.Path("work"),
                               nullptr, true),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(TempFolder::Read(Names()[1]), "kept");
    EXPECT_EQ(EntriesIn(folder.Path("work")), 1);
  }
}

TEST_F(FileCopiesTest, AnOpenSourceGivesTheNoteAndContentsOfTheFileOpenedEvenOnceReplaced) {
  const FileNote first{"quillmar.test", "first"};
  ASSERT_FALSE(CopyFileReplacing(folder.Path("source").c_str(), folder.Path("work/copy").c_str(),
                                 false, &first));
  SourceFile copy;
  ASSERT_FALSE(copy.Open(folder.Path("work/copy").c_str()));
  // Another instance puts a new copy in its place after it was opened.
  folder.Write("other", "other contents");
  const FileNote second{"quillmar.test", "second"};
  ASSERT_FALSE(CopyFileReplacing(folder.Path("other").c_str(), folder.Path("work/copy").c_str(),
                                 false, &second));
  EXPECT_EQ(copy.Note("quillmar.test"), "first");
  ASSERT_FALSE(copy.CopyTo(folder.Path("restored").c_str(), /*failIfExists=*/true));
  EXPECT_EQ(TempFolder::Read(folder.Path("restored")), "new contents");
  // A second copy from the same open file starts from its beginning again.
  EXPECT_EQ(copy.CopyTo(folder.Path("restored").c_str(), true), std::errc::file_exists);
  ASSERT_FALSE(copy.CopyTo(folder.Path("restored").c_str(), false));
  EXPECT_EQ(TempFolder::Read(folder.Path("restored")), "new contents");
}

TEST(ChangingSourceCopyTest, ACopyOfAFileRewrittenMeanwhileIsTheFileAsItStoodOrNone) {
  constexpr std::size_t kSize = 32 * RewritingProcess::kChunk;
  // A writer held up by the disk's write-back would leave the file half written for a whole
  // copy, which is then rightly copied as it stands.
  TempFolder memory("quillmar-test-", TempFolder::InMemoryParent());
  memory.MakeDir("work");
  memory.MakeDir("mirror");
  const std::string own = memory.Path("mirror/source");
  const std::string source = memory.Path("source");
  RewritingProcess writer(source, kSize);
  ASSERT_TRUE(writer.Running());
  int dropped = 0;
  for (int attempt = 0; attempt < 12; ++attempt) {
    SCOPED_TRACE("copy " + std::to_string(attempt));
    memory.Write("mirror/source", "earlier copy");
    const std::uint64_t writesBefore = writer.Writes();
    const NamedCopyResult result =
        CopyFileToName(source.c_str(), memory.Path("work"), own, nullptr);
    const bool writtenMeanwhile = writer.Writes() - writesBefore >= 3;
    ASSERT_FALSE(result.write);
    ASSERT_FALSE(result.name);
    if (result.source) {
      // A dropped copy leaves the earlier one in place and nothing in the work folder.
      EXPECT_EQ(result.source, ChangedWhileCopied());
      EXPECT_EQ(TempFolder::Read(own), "earlier copy");
      EXPECT_EQ(EntriesIn(memory.Path("work")), 0);
      ++dropped;
    } else if (writtenMeanwhile) {
      EXPECT_TRUE(RewritingProcess::IsWhatTheFileHeld(TempFolder::Read(own), kSize));
    }
  }
  // The writer rewrites the file without a pause: some copies must have met it.
  EXPECT_GT(dropped, 0);
}

}  // namespace

namespace {

TEST(FileCopiesSameFileTest, AFurtherNameThatIsAlreadyTheFilesLeavesNoHiddenName) {
  TempFolder folder;
  folder.MakeDir("work");
  folder.Write("work/own", "contents");
  ASSERT_EQ(::link(folder.Path("work/own").c_str(), folder.Path("work/sharedBACKUP").c_str()), 0);
  for (const bool guess : {false, true}) {
    EXPECT_FALSE(AddNameReplacing(folder.Path("work/own"), folder.Path("work/sharedBACKUP"),
                                  folder.Path("work"), nullptr, guess));
    EXPECT_EQ(EntriesIn(folder.Path("work")), 2);
  }
  EXPECT_EQ(TempFolder::Read(folder.Path("work/sharedBACKUP")), "contents");
}

}  // namespace
