// Tests of reading own copies' notes ahead of a clean: the note of each file asked for in the
// order a walk lists the tree, names passed over, a name asked out of that order, a change of
// folder half-way, and the folders below the one asked for.
#include "store/notes_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/injected_failures.h"
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
    return ReadFileNote(Mirror(name, file).c_str(), kNote);
  }
  // Every file below the folder name (its path below it), as a walk lists them: depth first,
  // in each folder's listing order, without the folder "store".
  void Walked(const std::string& name, const std::string& below,
              std::vector<std::string>& files) const {
    DirectorySearch search;
    FindData data;
    const std::string here = below.empty() ? name : name + "/" + below;
    const std::string pattern = folder.Path(here) + kPathSeparator + "*";
    std::error_code ended;
    for (bool more = !search.Start(pattern.c_str(), data); more; more = search.Next(data, ended)) {
      const std::string entry = data.cFileName;
      const std::string path = below.empty() ? entry : below + kPathSeparator + entry;
      if ((data.dwFileAttributes & kFolderAttribute) == 0) {
        files.push_back(path);
      } else if (entry != "." && entry != ".." && entry != "store") {
        Walked(name, path, files);
      }
    }
  }
  // Where the file's own copy lies.
  std::string Mirror(const std::string& name, const std::string& file) const {
    return folder.Path(name + "-mirror") + kPathSeparator + file;
  }

  TempFolder folder;
};

TEST_F(NotesAheadTest, NotesComeInTheListingsOrderWithNamesPassedOver) {
  Make("a", 40);
  const std::vector<std::string> listed = Listed("a");
  ASSERT_EQ(listed.size(), 40u);
  NotesAhead ahead(kNote, folder.Path("store"), folder.Path());
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[0]);
  int readAhead = 0;
  for (std::size_t i = 1; i < listed.size(); ++i) {
    if (i % 3 == 0) continue;  // a file the clean does not back up
    SCOPED_TRACE(listed[i]);
    const std::optional<NoteAhead> note = ahead.Take(Mirror("a", listed[i]));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->note, Direct("a", listed[i]));
    ++readAhead;
  }
  EXPECT_EQ(readAhead, 26);
  // Past the end of the listing nothing more is read ahead.
  EXPECT_FALSE(ahead.Take(Mirror("a", listed[1])));
}

TEST_F(NotesAheadTest, AFolderLongerThanTheReadersQueueComesWholeWhateverThePace) {
  // Several times the notes the reader keeps ahead, and not a multiple of how many it hands
  // over at a time: the reader waits on a full queue, the clean on an empty one, and neither
  // may be left waiting for the other.
  Make("a", 300);
  const std::vector<std::string> listed = Listed("a");
  ASSERT_EQ(listed.size(), 300u);
  NotesAhead ahead(kNote, folder.Path("store"), folder.Path());
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[0]);
  // Slow at first, so that the reader fills its queue; then as fast as it goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (std::size_t i = 1; i < listed.size(); ++i) {
    const std::optional<NoteAhead> note = ahead.Take(Mirror("a", listed[i]));
    ASSERT_TRUE(note) << listed[i];
    ASSERT_EQ(note->note, Direct("a", listed[i])) << listed[i];
    if (i == 100) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(ahead.Take(Mirror("a", listed[1])));
  // A folder read afresh after the whole of one was taken.
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), listed[150]);
  for (std::size_t i = 151; i < listed.size(); i += 2) {
    const std::optional<NoteAhead> note = ahead.Take(Mirror("a", listed[i]));
    ASSERT_TRUE(note) << listed[i];
    ASSERT_EQ(note->note, Direct("a", listed[i])) << listed[i];
  }
}

TEST_F(NotesAheadTest, ANameOutOfOrderIsTheCallersAndAnotherFolderStartsAfresh) {
  Make("a", 30);
  Make("b", 30);
  const std::vector<std::string> a = Listed("a");
  const std::vector<std::string> b = Listed("b");
  NotesAhead ahead(kNote, folder.Path("store"), folder.Path());
  ahead.Read(folder.Path("a"), folder.Path("a-mirror"), a[0]);
  ASSERT_TRUE(ahead.Take(Mirror("a", a[1])));
  // A file made after the listing passed it: the caller reads its note itself.
  EXPECT_FALSE(ahead.Take(Mirror("a", "made meanwhile")));
  // The walk goes on into another folder half-way through this one.
  ahead.Read(folder.Path("b"), folder.Path("b-mirror"), b[4]);
  for (std::size_t i = 5; i < b.size(); ++i) {
    const std::optional<NoteAhead> note = ahead.Take(Mirror("b", b[i]));
    ASSERT_TRUE(note) << b[i];
    EXPECT_EQ(note->note, Direct("b", b[i])) << b[i];
  }
}

TEST_F(NotesAheadTest, TheFoldersBelowAndThenAboveComeInTheWalksOrderButNotTheStore) {
  const std::vector<std::string> made = {"f0", "f1", "f2", "d1/g0", "d1/g1", "d1/g2", "d1/dd/h0",
                                         "d1/dd/h1", "d2/k0", "d2/k1", "d2/k2", "f3", "f4",
                                         "store/s0", "store/s1"};
  folder.MakeDir("t/d1/dd");
  folder.MakeDir("t/d2");
  folder.MakeDir("t/store");
  bool notesKept = false;  // not where the file system keeps no notes (Wine)
  for (const std::string& file : made) {
    folder.Write("t/" + file, file);
    folder.MakeDir("t-mirror/" + std::filesystem::path(file).parent_path().string());
    folder.Write("t-mirror/" + file, file);
    // A file the clean did not back up before has no note.
    if (file != "d2/k1") {
      notesKept = !AttachFileNote(Mirror("t", file).c_str(), {kNote, "note of " + file});
    }
  }
  std::vector<std::string> walked;
  Walked("t", "", walked);
  ASSERT_EQ(walked.size(), made.size() - 2);
  // The clean asks first at a file of d1, having walked whatever was listed before it; the
  // reader goes on below d1 and then, after d1, in t.
  const std::string inD1 = "d1" + std::string(1, kPathSeparator);
  std::size_t first = 0;
  while (walked[first].rfind(inD1, 0) != 0 ||
         walked[first].find(kPathSeparator, inD1.size()) != std::string::npos) {
    ++first;
  }
  {
    NotesAhead ahead(kNote, folder.Path("t/store"), folder.Path());
    ahead.Read(folder.Path("t/d1"), folder.Path("t-mirror/d1"), walked[first].substr(inD1.size()));
    EXPECT_TRUE(ahead.Covers(Mirror("t", "f0")));
    EXPECT_FALSE(ahead.Covers(folder.Path() + "-elsewhere" + kPathSeparator + "f0"));
    int withNotes = 0, noted = 0;
    for (std::size_t i = first + 1; i < walked.size(); ++i) {
      if (walked[i] != "d2" + std::string(1, kPathSeparator) + "k1") ++noted;
      SCOPED_TRACE(walked[i]);
      const std::optional<NoteAhead> note = ahead.Take(Mirror("t", walked[i]));
      ASSERT_TRUE(note);
      EXPECT_EQ(note->note, Direct("t", walked[i]));
      if (note->note) ++withNotes;
      // With the folder it was read in, as the reader found it.
      std::uint64_t device = 0, inode = 0;
      ASSERT_FALSE(IdentifyFolder(FolderPart(Mirror("t", walked[i])).c_str(), device, inode));
      EXPECT_EQ(note->folder, (FileKey{device, inode}));
    }
    if (notesKept) {
      EXPECT_EQ(withNotes, noted);
    }
  }
  // The store's own folder is never entered: its files come out of order, and not read ahead.
  NotesAhead ahead(kNote, folder.Path("t/store"), folder.Path());
  ahead.Read(folder.Path("t"), folder.Path("t-mirror"), "d1");
  EXPECT_FALSE(ahead.Take(Mirror("t", "store/s0")));
}

TEST_F(NotesAheadTest, AFolderReachedThroughALinkIsReadOnceAsTheWalkReadsIt) {
  folder.MakeDir("t/d");
  folder.MakeDir("outside");
  std::error_code linked;
  std::filesystem::create_directory_symlink(folder.Path("outside"), folder.Path("t/ln"), linked);
  if (linked) GTEST_SKIP() << "no links to folders here: " << linked.message();
  // A second way to the same folder: the walk goes through only the first it meets.
  std::filesystem::create_directory_symlink(folder.Path("outside"), folder.Path("t/d/again"),
                                            linked);
  ASSERT_FALSE(linked);
  for (const char* file : {"t/a", "t/d/b", "outside/o0", "outside/o1"}) {
    folder.Write(file, file);
  }
  std::vector<std::string> walked;
  Walked("t", "", walked);
  // The folder reached twice is listed by this test's walk twice; the reader reads it once.
  std::vector<std::string> expected;
  std::string outsideWay;
  for (const std::string& file : walked) {
    if (FindFileName(file).starts_with("o")) {
      const std::string way = FolderPart(file);
      if (outsideWay.empty()) outsideWay = way;
      if (way != outsideWay) continue;
    }
    expected.push_back(file);
  }
  ASSERT_EQ(expected.size(), 4u);
  for (const std::string& file : expected) {
    folder.MakeDir("t-mirror/" + FolderPart(file));
    folder.Write("t-mirror/" + file, file);
    AttachFileNote(Mirror("t", file).c_str(), {kNote, "note of " + file});
  }
  NotesAhead ahead(kNote, folder.Path("t/store"), folder.Path());
  ahead.Read(folder.Path("t"), folder.Path("t-mirror"), "");
  for (const std::string& file : expected) {
    SCOPED_TRACE(file);
    const std::optional<NoteAhead> note = ahead.Take(Mirror("t", file));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->note, Direct("t", file));
  }
}

TEST_F(NotesAheadTest, TheReaderGoesNoHigherThanTheFolderTheWalkStartedIn) {
  // Many files beside the walk's folder, so that some surely come after it in the listing.
  folder.MakeDir("t/d");
  folder.MakeDir("t-mirror/d");
  folder.Write("t/d/a", "a");
  folder.Write("t-mirror/d/a", "a");
  for (int i = 0; i < 200; ++i) folder.Write("t/f" + std::to_string(i), "beside");
  // Every note read of a file beside the walk's folder is counted.
  ScopedFailure besides(FileCall::kNote, std::make_error_code(std::errc::io_error),
                        folder.Path("t-mirror") + kPathSeparator + "f");
  NotesAhead ahead(kNote, folder.Path("t/store"), folder.Path(), folder.Path("t/d"));
  ahead.Read(folder.Path("t/d"), folder.Path("t-mirror/d"), "");
  EXPECT_TRUE(ahead.Take(Mirror("t", "d" + std::string(1, kPathSeparator) + "a")));
  // Asked for a file it never lists, the clean waits until the reader is done.
  EXPECT_FALSE(ahead.Take(Mirror("t", "never")));
  EXPECT_EQ(besides.Failed(), 0);

  // Without the walk's folder, the reader goes on into the folder above.
  NotesAhead unbounded(kNote, folder.Path("t/store"), folder.Path());
  unbounded.Read(folder.Path("t/d"), folder.Path("t-mirror/d"), "");
  EXPECT_FALSE(unbounded.Take(Mirror("t", "never")));
  EXPECT_GT(besides.Failed(), 0);
}

}  // namespace
