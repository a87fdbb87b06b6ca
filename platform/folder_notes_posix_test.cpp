// Tests of reading notes relative to an open folder: the same notes as by whole paths, with
// and without the system's call for it; a link never followed; a folder put in another's
// place, or another folder asked for, read anew.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/folder_notes.h"
#include "platform/injected_failures.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

constexpr const char* kNote = "quillmar.test";

class FolderNotesTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { FolderNotes::ReadByWholePathsForTesting(GetParam()); }
  void TearDown() override { FolderNotes::ReadByWholePathsForTesting(false); }

  void WriteNoted(const std::string& relative, const std::string& note) {
    folder.Write(relative, relative);
    ASSERT_FALSE(AttachFileNote(folder.Path(relative).c_str(), {kNote, note})) << relative;
  }

  TempFolder folder;
};

TEST_P(FolderNotesTest, ReadsWhatTheWholePathReads) {
  folder.MakeDir("deep/er/still");
  WriteNoted("deep/er/still/a", "note of a");
  WriteNoted("deep/er/still/b c", std::string(300, 'x'));
  folder.Write("deep/er/still/plain", "no note");
  FolderNotes notes;
  notes.Use(folder.Path("deep/er/still"));
  for (const char* name : {"a", "b c", "plain", "missing", "a", "b c"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(notes.Read(name, kNote),
              ReadFileNote(folder.Path(std::string("deep/er/still/") + name).c_str(), kNote));
  }
  EXPECT_EQ(notes.Read("a", kNote), "note of a");
  EXPECT_EQ(notes.Read("a", "quillmar.other"), std::nullopt);
  {
    const ScopedFailure unreadable(
        FileCall::kNote, std::make_error_code(std::errc::operation_not_supported), "still/a");
    EXPECT_EQ(notes.Read("a", kNote), std::nullopt);
    EXPECT_EQ(notes.Read("b c", kNote), std::string(300, 'x'));
  }
}

TEST_P(FolderNotesTest, ALinkInTheFilesPlaceIsNotFollowed) {
  folder.MakeDir("f");
  WriteNoted("f/target", "the target's note");
  ASSERT_EQ(::symlink(folder.Path("f/target").c_str(), folder.Path("f/link").c_str()), 0);
  ASSERT_EQ(::symlink("target", folder.Path("f/relative link").c_str()), 0);
  FolderNotes notes;
  notes.Use(folder.Path("f"));
  EXPECT_EQ(notes.Read("target", kNote), "the target's note");
  EXPECT_EQ(notes.Read("link", kNote), std::nullopt);
  EXPECT_EQ(notes.Read("relative link", kNote), std::nullopt);
}

TEST_P(FolderNotesTest, AFolderPutInAnothersPlaceOrRemovedIsReadAnew) {
  folder.MakeDir("f");
  WriteNoted("f/a", "first");
  WriteNoted("f/b", "first b");
  FolderNotes notes;
  notes.Use(folder.Path("f"));
  ASSERT_EQ(notes.Read("a", kNote), "first");

  // Between two files the folder goes, and another takes its place.
  ASSERT_EQ(std::rename(folder.Path("f").c_str(), folder.Path("gone").c_str()), 0);
  folder.MakeDir("f");
  WriteNoted("f/a", "second");
  EXPECT_EQ(notes.Read("a", kNote), "second");
  EXPECT_EQ(notes.Read("b", kNote), std::nullopt);

  // Removed with nothing in its place.
  ASSERT_EQ(std::rename(folder.Path("f").c_str(), folder.Path("gone too").c_str()), 0);
  EXPECT_EQ(notes.Read("a", kNote), std::nullopt);

  // A file put in the folder in hand, and another folder asked for, then the first again.
  WriteNoted("gone/c", "c's note");
  notes.Use(folder.Path("gone"));
  EXPECT_EQ(notes.Read("c", kNote), "c's note");
  EXPECT_EQ(notes.Read("b", kNote), "first b");
  notes.Use(folder.Path("gone too"));
  EXPECT_EQ(notes.Read("a", kNote), "second");
  EXPECT_EQ(notes.Read("c", kNote), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(RelativeAndWholePaths, FolderNotesTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("WholePaths")
                                             : std::string("RelativeToTheFolder");
                         });

}  // namespace
