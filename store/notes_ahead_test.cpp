// Tests of reading own copies' notes ahead of a clean: the note of each file asked for in the
// order a search lists the folder, names passed over, a name asked out of that order, and a
// change of folder half-way.
#include "store/notes_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

constexpr const char* kNote = "quillmar.test";

class NotesAheadTest : public ::testing::Test {
 protected:
  // A folder of files and one sub-folder, beside its mirror holding a copy, with a note, of
  // every file but the last three.
  void Make(const std::string& name, int files) {
    folder.MakeDir(name + "/sub");
    folder.MakeDir(name + "-mirror");
    for (int i = 0; i < files; ++i) {
      const std::string file = "f" + std::to_string(i);
      folder.Write(name + "/" + file, file);
      if (i >= files - 3) continue;
      folder.Write(name + "-mirror/" + file, file);
      AttachFileNote(folder.Path(name + "-mirror/" + file).c_str(),
                     {kNote, name + " note " + std::to_string(i)});
    }
  }
  // The files of a folder in the order a search lists them.
  std::vector<std::string> Listed(const std::string& name) const {
    std::vector<std::string> names;
    DirectorySearch search;
    FindData data;
    const std::string pattern = folder.Path(name) + kPathSeparator + "*";
    std::error_code ended;
    for (bool more = !search.Start(pattern.c_str(), data); more; more = search.Next(data, ended)) {
      if ((data.dwFileAttributes & kFolderAttribute) == 0) names.emplace_back(data.cFileName);
    }
    return names;
  }
  std::optional<std::string> Direct(const std::string& name, const std::string& file) const {
    return ReadFileNote(folder.Path(name + "-mirror/" + file).c_str(), kNote);
  }

  TempFolder folder;
};

TEST_F(NotesAheadTest, NotesComeInTheListingsOrderWithNamesPassedOver) {
  Make("a", 40);
  const std::vector<std::string> listed = Listed("a");
  ASSERT_EQ(listed.size(), 40u);
  NotesAhead ahead(kNote);
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[0]);
  int readAhead = 0;
  for (std::size_t i = 1; i < listed.size(); ++i) {
    if (i % 3 == 0) continue;  // a file the clean does not back up
    SCOPED_TRACE(listed[i]);
    const std::optional<std::optional<std::string>> note = ahead.Take(listed[i]);
    ASSERT_TRUE(note);
    EXPECT_EQ(*note, Direct("a", listed[i]));
    ++readAhead;
  }
  EXPECT_EQ(readAhead, 26);
  // Past the end of the listing nothing more is read ahead.
  EXPECT_FALSE(ahead.Take(listed[1]));
}

TEST_F(NotesAheadTest, AFolderLongerThanTheReadersQueueComesWholeWhateverThePace) {
  // Several times the notes the reader keeps ahead, and not a multiple of how many it hands
  // over at a time: the reader waits on a full queue, the clean on an empty one, and neither
  // may be left waiting for the other.
  Make("a", 300);
  const std::vector<std::string> listed = Listed("a");
  ASSERT_EQ(listed.size(), 300u);
  NotesAhead ahead(kNote);
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[0]);
  // Slow at first, so that the reader fills its queue; then as fast as it goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (std::size_t i = 1; i < listed.size(); ++i) {
    const std::optional<std::optional<std::string>> note = ahead.Take(listed[i]);
    ASSERT_TRUE(note) << listed[i];
    ASSERT_EQ(*note, Direct("a", listed[i])) << listed[i];
    if (i == 100) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(ahead.Take(listed[1]));
  // A folder read afresh after the whole of one was taken.
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[150]);
  for (std::size_t i = 151; i < listed.size(); i += 2) {
    const std::optional<std::optional<std::string>> note = ahead.Take(listed[i]);
    ASSERT_TRUE(note) << listed[i];
    ASSERT_EQ(*note, Direct("a", listed[i])) << listed[i];
  }
}

TEST_F(NotesAheadTest, ANameOutOfOrderIsTheCallersAndAnotherFolderStartsAfresh) {
  Make("a", 30);
  Make("b", 30);
  const std::vector<std::string> a = Listed("a");
  const std::vector<std::string> b = Listed("b");
  NotesAhead ahead(kNote);
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), a[0]);
  ASSERT_TRUE(ahead.Take(a[1]));
  // A file made after the listing passed it: the caller reads its note itself.
  EXPECT_FALSE(ahead.Take("made meanwhile"));
  // The walk goes on into another folder half-way through this one.
  ahead.Read(folder.Path("b"), folder.Path("b-mirror"), b[4]);
  for (std::size_t i = 5; i < b.size(); ++i) {
    const std::optional<std::optional<std::string>> note = ahead.Take(b[i]);
    ASSERT_TRUE(note) << b[i];
    EXPECT_EQ(*note, Direct("b", b[i])) << b[i];
  }
}

}  // namespace
