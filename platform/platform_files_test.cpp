// Tests of the platform file services on real folders: the search and its two endings, the
// program path seam, folder creation and the all-or-nothing copy.
#include "platform/platform_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_support/file_size_limit.h"
#include "platform/test_support/temp_folder.h"

namespace {

class PlatformFilesTest : public ::testing::Test {
 protected:

  std::string P(const std::string& relative) const { return root + "/" + relative; }
  void Put(const std::string& relative, const std::string& content) const {
    std::ofstream(P(relative), std::ios::binary | std::ios::trunc) << content;
  }
  std::string Get(const std::string& relative) const {
    std::ifstream in(P(relative), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::vector<std::string> Names(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(P(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every entry of a search: name -> attributes.
  std::map<std::string, std::uint32_t> SearchAll(const std::string& searchPath,
                                                 std::error_code& ended) {
    std::map<std::string, std::uint32_t> found;
    DirectorySearch search;
    FindData data;
    std::error_code started = search.Start(searchPath.c_str(), data);
    EXPECT_FALSE(started) << started.message();
    if (started) return found;
    do {
      EXPECT_EQ(found.count(data.cFileName), 0u) << data.cFileName;
      found[data.cFileName] = data.dwFileAttributes;
    } while (search.Next(data, ended));
    return found;
  }

  TempFolder temp;
  const std::string root = temp.Path();
};

TEST_F(PlatformFilesTest, SearchListsEveryEntryWithItsFolderAttribute) {
  Put("a", "a");
  Put("b.txt", "b");
  ASSERT_EQ(::mkdir(P("sub").c_str(), 0777), 0);
  ASSERT_EQ(::symlink(P("sub").c_str(), P("to-sub").c_str()), 0);
  ASSERT_EQ(::symlink(P("a").c_str(), P("to-a").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", P("dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0644), 0);
  std::error_code ended = std::make_error_code(std::errc::io_error);
  auto found = SearchAll(root + "/*.*", ended);
  EXPECT_FALSE(ended) << "a search that ran out of entries ends without an error";
  std::map<std::string, std::uint32_t> expected = {{".", kFolderAttribute},
                                                   {"..", kFolderAttribute},
                                                   {"a", 0},
                                                   {"b.txt", 0},
                                                   {"sub", kFolderAttribute},
                                                   {"to-sub", kFolderAttribute | kLinkAttribute},
                                                   {"to-a", kLinkAttribute},
                                                   {"dangling", kLinkAttribute},
                                                   {"pipe", 0}};
  EXPECT_EQ(found, expected);
}

TEST_F(PlatformFilesTest, SearchPatternSelectsNames) {
  Put("a", "a");
  Put("b.txt", "b");
  Put("C.TXT", "c");
  std::error_code ended;
  auto found = SearchAll(root + "/*.txt", ended);
  EXPECT_EQ(found.size(), 2u);
  EXPECT_EQ(found.count("b.txt"), 1u);
  EXPECT_EQ(found.count("C.TXT"), 1u);

  DirectorySearch search;
  FindData data;
  EXPECT_EQ(search.Start((root + "/*.none").c_str(), data),
            std::make_error_code(std::errc::no_such_file_or_directory));
  EXPECT_FALSE(search.IsOpen());
}

TEST_F(PlatformFilesTest, SearchThatCannotStart) {
  DirectorySearch search;
  FindData data;
  EXPECT_EQ(search.Start((root + "/missing/*.*").c_str(), data),
            std::make_error_code(std::errc::no_such_file_or_directory));
  EXPECT_FALSE(search.IsOpen());
  Put("file", "x");
  EXPECT_EQ(search.Start((root + "/file/*.*").c_str(), data),
            std::make_error_code(std::errc::not_a_directory));
  EXPECT_FALSE(search.IsOpen());
}

TEST_F(PlatformFilesTest, SearchEndsWithAnErrorWhenItCannotRead) {
  DirectorySearch search;
  FindData data;
  ASSERT_FALSE(search.Start((root + "/*.*").c_str(), data));
  search.Close();
  std::error_code ended;
  EXPECT_FALSE(search.Next(data, ended));
  EXPECT_TRUE(ended);
}

TEST_F(PlatformFilesTest, SearchKnowsTheFolderIdentity) {
  ASSERT_EQ(::mkdir(P("sub").c_str(), 0777), 0);
  ASSERT_EQ(::symlink(P("sub").c_str(), P("link").c_str()), 0);
  struct stat st;
  ASSERT_EQ(::stat(P("sub").c_str(), &st), 0);
  DirectorySearch search;
  FindData data;
  ASSERT_FALSE(search.Start((root + "/link/*.*").c_str(), data));
  EXPECT_EQ(search.Device(), static_cast<std::uint64_t>(st.st_dev));
  EXPECT_EQ(search.Inode(), static_cast<std::uint64_t>(st.st_ino));
  // An empty folder part is the root folder.
  ASSERT_EQ(::stat("/", &st), 0);
  ASSERT_FALSE(search.Start("/*.*", data));
  EXPECT_EQ(search.Inode(), static_cast<std::uint64_t>(st.st_ino));
}

TEST_F(PlatformFilesTest, ProgramPathAndItsTestSeam) {
  char real[kMaxPath] = {};
  ASSERT_GT(::readlink("/proc/self/exe", real, sizeof real - 1), 0);
  EXPECT_EQ(GetProgramPath(), real);
  SetProgramPathForTesting("/tmp/x/prog/quillmar");
  EXPECT_EQ(GetProgramPath(), "/tmp/x/prog/quillmar");
  SetProgramPathForTesting("");
  EXPECT_EQ(GetProgramPath(), real);
}

TEST_F(PlatformFilesTest, CreateFolder) {
  EXPECT_FALSE(CreateFolder(P("new").c_str()));
  struct stat st;
  ASSERT_EQ(::stat(P("new").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(CreateFolder(P("new").c_str()), std::make_error_code(std::errc::file_exists));
  Put("plain", "x");
  EXPECT_EQ(CreateFolder(P("plain").c_str()), std::make_error_code(std::errc::file_exists));
  EXPECT_EQ(CreateFolder(P("no/such").c_str()),
            std::make_error_code(std::errc::no_such_file_or_directory));
}

TEST_F(PlatformFilesTest, CopyIsByteForByteAndKeepsModeAndTimes) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += static_cast<char>(i * 7 + i / 256);
  Put("big", big);
  Put("empty", "");
  ASSERT_EQ(::chmod(P("big").c_str(), 0604), 0);
  const struct timespec times[2] = {{1200000000, 1}, {1300000000, 987654321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, P("big").c_str(), times, 0), 0);
  ASSERT_FALSE(CopyFileReplacing(P("big").c_str(), P("bigBACKUP").c_str(), false));
  ASSERT_FALSE(CopyFileReplacing(P("empty").c_str(), P("emptyBACKUP").c_str(), false));
  EXPECT_EQ(Get("bigBACKUP"), big);
  EXPECT_EQ(Get("emptyBACKUP"), "");
  struct stat st;
  ASSERT_EQ(::stat(P("bigBACKUP").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1300000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
  EXPECT_EQ(Names(""), (std::vector<std::string>{"big", "bigBACKUP", "empty", "emptyBACKUP"}));
}

TEST_F(PlatformFilesTest, CopyOfTheProcesssOwnFileKeepsItsSetIdBits) {
  Put("tool", "#!/bin/sh\n");
  ASSERT_EQ(::chmod(P("tool").c_str(), 06755), 0);
  ASSERT_FALSE(CopyFileReplacing(P("tool").c_str(), P("copy").c_str(), false));
  struct stat st;
  ASSERT_EQ(::stat(P("copy").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 06755u);
}

TEST_F(PlatformFilesTest, CopyReplacesOrRefusesAnExistingDestination) {
  Put("src", "new");
  Put("dst", "old");
  EXPECT_EQ(CopyFileReplacing(P("src").c_str(), P("dst").c_str(), true),
            std::make_error_code(std::errc::file_exists));
  EXPECT_EQ(Get("dst"), "old");
  EXPECT_FALSE(CopyFileReplacing(P("src").c_str(), P("dst").c_str(), false));
  EXPECT_EQ(Get("dst"), "new");
  EXPECT_FALSE(CopyFileReplacing(P("src").c_str(), P("fresh").c_str(), true));
  EXPECT_EQ(Get("fresh"), "new");
  // Even a dangling link in the way counts as existing.
  ASSERT_EQ(::symlink("nowhere", P("link").c_str()), 0);
  EXPECT_EQ(CopyFileReplacing(P("src").c_str(), P("link").c_str(), true),
            std::make_error_code(std::errc::file_exists));
  EXPECT_EQ(Names(""), (std::vector<std::string>{"dst", "fresh", "link", "src"}));
}

TEST_F(PlatformFilesTest, CopyReplacesALinkInsteadOfWritingThroughIt) {
  Put("src", "new");
  Put("victim", "must stay");
  ASSERT_EQ(::symlink(P("victim").c_str(), P("dst").c_str()), 0);
  ASSERT_FALSE(CopyFileReplacing(P("src").c_str(), P("dst").c_str(), false));
  EXPECT_EQ(Get("victim"), "must stay");
  EXPECT_EQ(Get("dst"), "new");
  struct stat st;
  ASSERT_EQ(::lstat(P("dst").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(PlatformFilesTest, CopyNeverReadsThroughALink) {
  Put("target", "through the link");
  ASSERT_EQ(::symlink(P("target").c_str(), P("link").c_str()), 0);
  EXPECT_EQ(CopyFileReplacing(P("link").c_str(), P("copy").c_str(), false),
            std::errc::operation_not_supported);
  struct stat st;
  EXPECT_NE(::lstat(P("copy").c_str(), &st), 0);
}

TEST_F(PlatformFilesTest, FailedCopyLeavesThePreviousDestination) {
  Put("dst", "previous good copy");
  ASSERT_EQ(::mkdir(P("folder").c_str(), 0777), 0);
  EXPECT_EQ(CopyFileReplacing(P("missing").c_str(), P("dst").c_str(), false),
            std::make_error_code(std::errc::no_such_file_or_directory));
  EXPECT_EQ(CopyFileReplacing(P("folder").c_str(), P("dst").c_str(), false),
            std::make_error_code(std::errc::is_a_directory));
  // A FIFO with no writer: a blocking open would hang here (the test would then time out).
  ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0644), 0);
  EXPECT_TRUE(CopyFileReplacing(P("pipe").c_str(), P("dst").c_str(), false));
  EXPECT_TRUE(CopyFileReplacing("/dev/null", P("dst").c_str(), false));
  EXPECT_EQ(Get("dst"), "previous good copy");
  // The destination's folder is missing: nothing is made anywhere.
  Put("src", "x");
  EXPECT_TRUE(CopyFileReplacing(P("src").c_str(), P("nofolder/dst").c_str(), false));
  // A folder in the way of the new name: the temporary copy must not stay behind.
  ASSERT_EQ(::mkdir(P("taken").c_str(), 0777), 0);
  EXPECT_TRUE(CopyFileReplacing(P("src").c_str(), P("taken").c_str(), false));
  EXPECT_EQ(Names(""), (std::vector<std::string>{"dst", "folder", "pipe", "src", "taken"}));
  EXPECT_EQ(Get("dst"), "previous good copy");
}

TEST_F(PlatformFilesTest, CopyCutShortPartWayKeepsThePreviousDestination) {
  Put("dst", "previous good copy");
  Put("src", std::string(200000, 's'));
  std::error_code result;
  {
    // Files may grow to 100000 bytes only: the copy fails half way through.
    FileSizeLimit limit(100000);
    ASSERT_TRUE(limit.ok());
    result = CopyFileReplacing(P("src").c_str(), P("dst").c_str(), false);
  }
  EXPECT_EQ(result, std::make_error_code(std::errc::file_too_large));
  EXPECT_EQ(Get("dst"), "previous good copy");
  EXPECT_EQ(Names(""), (std::vector<std::string>{"dst", "src"}));
}

TEST_F(PlatformFilesTest, WriteReplacingSwapsTheWholeFileAndKeepsItsPermissions) {
  Put("list", "old;");
  ASSERT_EQ(::chmod(P("list").c_str(), 0640), 0);
  EXPECT_FALSE(WriteFileReplacing(P("list").c_str(), "new;entries;"));
  EXPECT_EQ(Get("list"), "new;entries;");
  struct stat st;
  ASSERT_EQ(::stat(P("list").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A missing file is created, and empty contents give an empty file.
  EXPECT_FALSE(WriteFileReplacing(P("fresh").c_str(), ""));
  EXPECT_EQ(Get("fresh"), "");
  EXPECT_EQ(Names(""), (std::vector<std::string>{"fresh", "list"}));
}

TEST_F(PlatformFilesTest, WriteReplacingThatFailsLeavesThePreviousFileWhole) {
  Put("list", "old;");
  // The folder is gone: nothing is written anywhere.
  EXPECT_EQ(WriteFileReplacing(P("gone/list").c_str(), "new;"),
            std::make_error_code(std::errc::no_such_file_or_directory));
  // A write cut short by the file-size limit: the old contents stay, no temporary is left.
  std::error_code result;
  {
    FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.ok());
    result = WriteFileReplacing(P("list").c_str(), std::string(5000, 'x'));
  }
  EXPECT_EQ(result, std::make_error_code(std::errc::file_too_large));
  EXPECT_EQ(Get("list"), "old;");
  EXPECT_EQ(Names(""), (std::vector<std::string>{"list"}));
}

TEST_F(PlatformFilesTest, AbandonedTemporariesGoWhileLiveOnesStay) {
  Put(".dead.Ab12Cd", "left by a killed writer");
  Put(".live.Xy34Zw", "still being written");
  Put(".kept", "not a temporary");
  Put("plain", "not a temporary");
  const int writer = ::open(P(".live.Xy34Zw").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  RemoveAbandonedTemporaries(P("").c_str(), [](std::string_view name) {
    return name.starts_with(".") && name != "." && name != ".." && name != ".kept";
  });
  ::close(writer);
  EXPECT_EQ(Names(""), (std::vector<std::string>{".kept", ".live.Xy34Zw", "plain"}));
}

TEST_F(PlatformFilesTest, AnAbandonedTemporaryLinkGoesOnceItIsOldEnough) {
  ASSERT_EQ(::symlink("target", P(".link.Ab12Cd").c_str()), 0);
  Put("target", "what the link leads to");
  const auto isTemporary = [](std::string_view name) { return name.starts_with(".link."); };
  // Made a moment ago: its writer may be about to give it its name.
  RemoveAbandonedTemporaries(P("").c_str(), isTemporary);
  EXPECT_EQ(Names(""), (std::vector<std::string>{".link.Ab12Cd", "target"}));
  RemoveAbandonedTemporaries(P("").c_str(), isTemporary, std::chrono::seconds(0));
  // The link goes, never what it leads to.
  EXPECT_EQ(Names(""), (std::vector<std::string>{"target"}));
  EXPECT_EQ(Get("target"), "what the link leads to");
}

TEST_F(PlatformFilesTest, NotesTravelWithTheCopyAndOnlyWithIt) {
  Put("src", "contents");
  const FileNote origin{"quillmar.test.origin", "/where/it/came/from"};
  ASSERT_FALSE(CopyFileReplacing(P("src").c_str(), P("noted").c_str(), false, &origin));
  ASSERT_FALSE(CopyFileReplacing(P("noted").c_str(), P("plain").c_str(), false));
  EXPECT_EQ(ReadFileNote(P("noted").c_str(), "quillmar.test.origin"), "/where/it/came/from");
  EXPECT_EQ(ReadFileNote(P("plain").c_str(), "quillmar.test.origin"), std::nullopt);
  EXPECT_EQ(ReadFileNote(P("src").c_str(), "quillmar.test.origin"), std::nullopt);
  EXPECT_EQ(Get("noted"), "contents");
}

TEST_F(PlatformFilesTest, AnAttachedNoteReplacesTheOldOneAndIsSeenUnderEveryName) {
  Put("file", "contents");
  ASSERT_EQ(::link(P("file").c_str(), P("second name").c_str()), 0);
  ASSERT_FALSE(AttachFileNote(P("file").c_str(), FileNote{"test.origin", "/first"}));
  ASSERT_FALSE(AttachFileNote(P("file").c_str(), FileNote{"test.origin", "/second/origin"}));
  EXPECT_EQ(ReadFileNote(P("second name").c_str(), "test.origin"), "/second/origin");
  EXPECT_EQ(Get("file"), "contents");
  EXPECT_EQ(AttachFileNote(P("gone").c_str(), FileNote{"test.origin", "/x"}),
            std::errc::no_such_file_or_directory);
}

TEST(ErrorTextTest, GivesThePlatformText) {
  std::error_code missing = std::make_error_code(std::errc::no_such_file_or_directory);
  EXPECT_EQ(ErrorText(missing), std::strerror(ENOENT));
  EXPECT_NE(ErrorText(std::make_error_code(std::errc::file_exists)), ErrorText(missing));
}

}  // namespace
