// Tests of the Win32 file services on real temporary trees: the search and its attributes,
// folder identity through links, the all-or-nothing copy and rewrite, notes, the removal of
// abandoned temporaries, error texts, and the program's path.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/path_parts.h"
#include "platform/pending_hold_win32.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"

namespace {

class PlatformFilesWin32Test : public ::testing::Test {
 protected:
  std::string P(const std::string& relative) const { return tree.Path(relative); }
  // Names other than the test's own in a folder: temporary files a copy left behind.
  std::vector<std::string> Names(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(P(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // A link to a folder, as a user makes one (mklink /D). False where the platform makes
  // none: Wine 8 reports success and makes nothing.
  bool LinkFolder(const std::string& link, const std::string& target) const {
    return ::CreateSymbolicLinkA(P(link).c_str(), P(target).c_str(),
                                 SYMBOLIC_LINK_FLAG_DIRECTORY |
                                     SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE &&
           ::GetFileAttributesA(P(link).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  TempFolder tree;
};

TEST_F(PlatformFilesWin32Test, SearchReportsEveryEntryWithTheFolderBit) {
  tree.MakeDir("sub");
  tree.Write("a.txt", "a");
  tree.Write("b.dat", "b");
  std::map<std::string, bool> seen;  // name -> is a folder
  DirectorySearch search;
  FindData data;
  const std::string all = P("*.*");
  ASSERT_FALSE(search.Start(all.c_str(), data));
  std::error_code ended;
  do {
    seen[data.cFileName] = (data.dwFileAttributes & kFolderAttribute) != 0;
  } while (search.Next(data, ended));
  EXPECT_FALSE(ended) << ended.message();
  const std::map<std::string, bool> expected{
      {".", true}, {"..", true}, {"a.txt", false}, {"b.dat", false}, {"sub", true}};
  EXPECT_EQ(seen, expected);

  // The pattern is the platform's: only matching names.
  const std::string txt = P("*.txt");
  ASSERT_FALSE(search.Start(txt.c_str(), data));
  EXPECT_STREQ(data.cFileName, "a.txt");
  EXPECT_FALSE(search.Next(data, ended));
  EXPECT_FALSE(ended);

  const std::string missing = P("none\\*.*");
  EXPECT_TRUE(search.Start(missing.c_str(), data));
  EXPECT_FALSE(search.IsOpen());
}

TEST_F(PlatformFilesWin32Test, FolderIdentityIsTheSameByEveryPathAndLink) {
  tree.MakeDir("D\\S");
  tree.MakeDir("other");
  tree.Write("file", "x");
  std::uint64_t volume = 0, index = 0;
  ASSERT_FALSE(IdentifyFolder(P("D\\S").c_str(), volume, index));
  std::uint64_t v2 = 0, i2 = 0;
  // A doubled separator, as the walk builds paths, names the same folder.
  ASSERT_FALSE(IdentifyFolder((P("D") + "\\S\\\\").c_str(), v2, i2));
  EXPECT_EQ(std::make_pair(volume, index), std::make_pair(v2, i2));
  DirectorySearch search;
  FindData data;
  const std::string inside = P("D\\S\\*.*");
  ASSERT_FALSE(search.Start(inside.c_str(), data));
  EXPECT_EQ(std::make_pair(search.Device(), search.Inode()), std::make_pair(volume, index));
  ASSERT_FALSE(IdentifyFolder(P("other").c_str(), v2, i2));
  EXPECT_NE(std::make_pair(volume, index), std::make_pair(v2, i2));
  EXPECT_EQ(IdentifyFolder(P("file").c_str(), v2, i2), std::errc::not_a_directory);
  EXPECT_TRUE(IdentifyFolder(P("missing").c_str(), v2, i2));

  // "\*.*", the search of an empty Directory box, is the current drive's root.
  ASSERT_FALSE(search.Start("\\*.*", data));
  ASSERT_FALSE(IdentifyFolder("\\", v2, i2));
  EXPECT_EQ(std::make_pair(search.Device(), search.Inode()), std::make_pair(v2, i2));
}

// The walk enters a folder reached through a link only once: the link must give the
// target's identity. (Under Wine, links made on the Linux side are tried end to end.)
TEST_F(PlatformFilesWin32Test, FolderLinkHasItsTargetsIdentity) {
  tree.MakeDir("D\\S");
  if (!LinkFolder("link", "D\\S")) GTEST_SKIP() << "the platform makes no folder links here";
  std::uint64_t volume = 0, index = 0, v2 = 0, i2 = 0;
  ASSERT_FALSE(IdentifyFolder(P("D\\S").c_str(), volume, index));
  ASSERT_FALSE(IdentifyFolder(P("link").c_str(), v2, i2));
  EXPECT_EQ(std::make_pair(volume, index), std::make_pair(v2, i2));
}

TEST_F(PlatformFilesWin32Test, CopyKeepsBytesAndTimeAndLeavesNoTemporaryFile) {
  tree.MakeDir("out");
  const std::string bytes = std::string("one\0two\r\n", 9) + std::string(300000, 'z');
  tree.Write("src.bin", bytes);
  HANDLE source = ::CreateFileA(P("src.bin").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(source, INVALID_HANDLE_VALUE);
  FILETIME old{};
  old.dwHighDateTime = 0x01D00000;  // some day in 2014
  ASSERT_TRUE(::SetFileTime(source, nullptr, nullptr, &old));
  ::CloseHandle(source);

  ASSERT_FALSE(CopyFileReplacing(P("src.bin").c_str(), P("out\\copy").c_str(), false));
  EXPECT_EQ(TempFolder::Read(P("out\\copy")), bytes);
  WIN32_FILE_ATTRIBUTE_DATA copied{};
  ASSERT_TRUE(::GetFileAttributesExA(P("out\\copy").c_str(), GetFileExInfoStandard, &copied));
  EXPECT_EQ(copied.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
  EXPECT_EQ(Names("out"), std::vector<std::string>{"copy"});
}

TEST_F(PlatformFilesWin32Test, CopyOverAnExistingFile) {
  tree.Write("new", "new bytes");
  tree.Write("old", "old bytes");
  // Asked not to replace: the old file stays as it was.
  EXPECT_EQ(CopyFileReplacing(P("new").c_str(), P("old").c_str(), true), std::errc::file_exists);
  EXPECT_EQ(TempFolder::Read(P("old")), "old bytes");
  // Replacing works on a read-only file too, and the copy is read-only as its source is.
  ASSERT_TRUE(::SetFileAttributesA(P("old").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::SetFileAttributesA(P("new").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_FALSE(CopyFileReplacing(P("new").c_str(), P("old").c_str(), false));
  EXPECT_EQ(TempFolder::Read(P("old")), "new bytes");
  EXPECT_NE(::GetFileAttributesA(P("old").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  // And a read-only copy is replaced in its turn, while the version a restore keeps of it
  // first, a further name of the same file, stays read-only.
  ASSERT_TRUE(::CreateHardLinkA(P("version").c_str(), P("old").c_str(), nullptr));
  tree.Write("newer", "newer bytes");
  ASSERT_FALSE(CopyFileReplacing(P("newer").c_str(), P("old").c_str(), false));
  EXPECT_EQ(TempFolder::Read(P("old")), "newer bytes");
  EXPECT_EQ(::GetFileAttributesA(P("old").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(TempFolder::Read(P("version")), "new bytes");
  EXPECT_NE(::GetFileAttributesA(P("version").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  for (const char* name : {"new", "version"}) {
    ::SetFileAttributesA(P(name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(Names(""), (std::vector<std::string>{"new", "newer", "old", "version"}));
}

TEST_F(PlatformFilesWin32Test, CopyKeepsAttributesAndTimesThereAndBack) {
  tree.Write("src", "contents");
  FILETIME created{}, accessed{}, written{};
  created.dwHighDateTime = 0x01C00000;   // 2003
  accessed.dwHighDateTime = 0x01D00000;  // 2014
  written.dwHighDateTime = 0x01D80000;   // 2021
  {
    HANDLE source = ::CreateFileA(P("src").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(source, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(::SetFileTime(source, &created, &accessed, &written));
    ::CloseHandle(source);
  }
  const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(::SetFileAttributesA(P("src").c_str(), attributes));
  const DWORD before = ::GetFileAttributesA(P("src").c_str());
  ASSERT_NE(before & FILE_ATTRIBUTE_READONLY, 0u);
  WIN32_FILE_ATTRIBUTE_DATA source{};
  ASSERT_TRUE(::GetFileAttributesExA(P("src").c_str(), GetFileExInfoStandard, &source));
  // Into a store and back, over a file there that has neither attribute. Each copy is looked
  // at before anything reads it: Wine moves a file's access time when it is opened.
  tree.Write("restored", "edited since");
  for (const auto& [from, to] : {std::pair{"src", "copy"}, std::pair{"copy", "restored"}}) {
    SCOPED_TRACE(to);
    ASSERT_FALSE(CopyFileReplacing(P(from).c_str(), P(to).c_str(), false));
    WIN32_FILE_ATTRIBUTE_DATA copy{};
    ASSERT_TRUE(::GetFileAttributesExA(P(to).c_str(), GetFileExInfoStandard, &copy));
    EXPECT_EQ(copy.dwFileAttributes & (attributes | FILE_ATTRIBUTE_ARCHIVE),
              before & (attributes | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(copy.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime);
    EXPECT_EQ(copy.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
    EXPECT_EQ(copy.ftLastAccessTime.dwHighDateTime, accessed.dwHighDateTime);
    EXPECT_EQ(copy.ftLastAccessTime.dwLowDateTime, accessed.dwLowDateTime);
    // What the file system kept of the creation time (Wine, on Linux, keeps none of its own).
    EXPECT_EQ(copy.ftCreationTime.dwHighDateTime, source.ftCreationTime.dwHighDateTime);
  }
  EXPECT_EQ(TempFolder::Read(P("copy")), "contents");
  EXPECT_EQ(TempFolder::Read(P("restored")), "contents");
  // A read-only name is removed, and the file's other name keeps the attribute.
  ASSERT_TRUE(::CreateHardLinkA(P("second").c_str(), P("copy").c_str(), nullptr));
  EXPECT_FALSE(RemoveFile(P("copy").c_str()));
  EXPECT_EQ(::GetFileAttributesA(P("copy").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesA(P("second").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  for (const char* name : {"src", "restored", "second"}) {
    ::SetFileAttributesA(P(name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(PlatformFilesWin32Test, CopyRefusesWhatIsNoFile) {
  tree.MakeDir("folder");
  EXPECT_EQ(CopyFileReplacing(P("folder").c_str(), P("x").c_str(), false),
            std::errc::is_a_directory);
  EXPECT_EQ(CopyFileReplacing("NUL", P("x").c_str(), false), std::errc::operation_not_supported);
  const std::error_code missing = CopyFileReplacing(P("none").c_str(), P("x").c_str(), false);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing.value(), ERROR_FILE_NOT_FOUND);
  // The platform's own text, not the C library's for a number that means something else,
  // without the line break that ends it.
  char expected[256] = "";
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_FILE_NOT_FOUND, 0, expected, sizeof expected, nullptr);
  ASSERT_NE(expected[0], '\0');
  EXPECT_TRUE(std::string(expected).starts_with(ErrorText(missing))) << expected;
  EXPECT_FALSE(ErrorText(missing).empty());
  EXPECT_EQ(Names(""), std::vector<std::string>{"folder"});
}

TEST_F(PlatformFilesWin32Test, RewriteReplacesWholeOrLeavesTheFileAlone) {
  tree.Write("list.txt", "a;b;c;");
  ASSERT_FALSE(WriteFileReplacing(P("list.txt").c_str(), "c;b;"));
  EXPECT_EQ(TempFolder::Read(P("list.txt")), "c;b;");
  ASSERT_TRUE(::SetFileAttributesA(P("list.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(WriteFileReplacing(P("list.txt").c_str(), "lost"));
  EXPECT_EQ(TempFolder::Read(P("list.txt")), "c;b;");
  ::SetFileAttributesA(P("list.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Names(""), std::vector<std::string>{"list.txt"});
}

TEST_F(PlatformFilesWin32Test, FoldersAndTheProgramsPath) {
  EXPECT_FALSE(CreateFolder(P("new").c_str()));
  EXPECT_EQ(CreateFolder(P("new").c_str()), std::errc::file_exists);
  EXPECT_TRUE(CreateFolder(P("none\\new").c_str()));

  const std::string program = GetProgramPath();
  EXPECT_EQ(FindFileName(program), "platform_test.exe") << program;
  EXPECT_EQ(program[1], ':');
  SetProgramPathForTesting(P("prog\\quillmar.exe"));
  EXPECT_EQ(GetProgramPath(), P("prog\\quillmar.exe"));
  SetProgramPathForTesting("");
  EXPECT_EQ(GetProgramPath(), program);
}

TEST_F(PlatformFilesWin32Test, OnlyTemporariesNobodyHoldsOpenAreRemoved) {
  for (const char* name : {".a.XXXXXX", ".b.XXXXXX", "c.XXXXXX", "list.txt"}) {
    tree.Write(name, "part");
  }
  // A writer still at work holds its file open, sharing everything as the copy does.
  HANDLE writer = ::CreateFileA(P(".b.XXXXXX").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const auto hidden = [](std::string_view name) { return name.front() == '.'; };
  RemoveAbandonedTemporaries(tree.Path().c_str(), hidden);
  EXPECT_EQ(Names(""), (std::vector<std::string>{".b.XXXXXX", "c.XXXXXX", "list.txt"}));
  ::CloseHandle(writer);
  RemoveAbandonedTemporaries(tree.Path().c_str(), hidden);
  EXPECT_EQ(Names(""), (std::vector<std::string>{"c.XXXXXX", "list.txt"}));
}

// The access a handle was granted, as the system keeps it (NtQueryObject's basic information).
ACCESS_MASK GrantedAccess(HANDLE handle) {
  struct BasicInformation {
    ULONG attributes;
    ACCESS_MASK grantedAccess;
    ULONG handleCount;
    ULONG pointerCount;
    ULONG reserved[10];
  } info{};
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  ULONG length = 0;
  if (query == nullptr || query(handle, 0, &info, sizeof info, &length) != 0) return 0;
  return info.grantedAccess;
}

TEST_F(PlatformFilesWin32Test, ACopyHeldForItsMoveOutlivesTheTidyingAndStillMoves) {
  tree.Write(".copy.XXXXXX", "copy");
  HANDLE held = HoldPendingFile(P(".copy.XXXXXX"));
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // Windows lets an open that shares nothing past a handle that may only read attributes
  // (Wine does not, so the access itself is looked at): the hold reads data.
  EXPECT_TRUE(GrantedAccess(held) & FILE_READ_DATA) << std::hex << GrantedAccess(held);
  const auto hidden = [](std::string_view name) { return name.front() == '.'; };
  RemoveAbandonedTemporaries(tree.Path().c_str(), hidden);
  EXPECT_EQ(Names(""), std::vector<std::string>{".copy.XXXXXX"});
  EXPECT_TRUE(::MoveFileExA(P(".copy.XXXXXX").c_str(), P("copy").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  ::CloseHandle(held);
  EXPECT_EQ(TempFolder::Read(P("copy")), "copy");
}

TEST_F(PlatformFilesWin32Test, ErrorTextsEndWithoutALineBreak) {
  for (const DWORD code :
       {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ERROR_SHARING_VIOLATION}) {
    const std::string text =
        ErrorText(std::error_code(static_cast<int>(code), std::system_category()));
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_NE(text.back(), '\n') << code;
    EXPECT_NE(text.back(), '\r') << code;
    EXPECT_NE(text.back(), ' ') << code;
  }
}

TEST_F(PlatformFilesWin32Test, NotesTravelWithTheCopyWhereTheVolumeKeepsThem) {
  tree.Write("src", "bytes");
  const FileNote origin{"test.origin", "C:\\where\\it\\came\\from"};
  ASSERT_FALSE(CopyFileReplacing(P("src").c_str(), P("noted").c_str(), false, &origin));
  ASSERT_FALSE(CopyFileReplacing(P("src").c_str(), P("plain").c_str(), false));
  EXPECT_EQ(TempFolder::Read(P("noted")), "bytes");
  char root[MAX_PATH];
  DWORD flags = 0;
  ASSERT_TRUE(::GetVolumePathNameA(P("src").c_str(), root, sizeof root));
  ASSERT_TRUE(::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  const FileNote later{"test.origin", "C:\\later"};
  if (flags & FILE_NAMED_STREAMS) {
    EXPECT_EQ(ReadFileNote(P("noted").c_str(), "test.origin"), std::string(origin.value));
    EXPECT_FALSE(AttachFileNote(P("noted").c_str(), later));
    EXPECT_EQ(ReadFileNote(P("noted").c_str(), "test.origin"), std::string(later.value));
  } else {
    EXPECT_EQ(ReadFileNote(P("noted").c_str(), "test.origin"), std::nullopt);
    EXPECT_EQ(AttachFileNote(P("noted").c_str(), later), std::errc::operation_not_supported);
  }
  EXPECT_EQ(ReadFileNote(P("plain").c_str(), "test.origin"), std::nullopt);
  EXPECT_EQ(ReadFileNote(P("src").c_str(), "test.origin"), std::nullopt);
  // Where the volume has no streams, the note makes no file of its own either.
  EXPECT_EQ(Names(""), (std::vector<std::string>{"noted", "plain", "src"}));
}

}  // namespace
