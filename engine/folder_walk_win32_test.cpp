// Tests of the walk and the backup store on Windows paths: the records with their doubled
// backslashes, the callback's folder paths, the filter, the backups folder kept out of the
// walk, and list.txt taken for exclusive use while a record is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "engine/recorded_failures.h"
#include "platform/file.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"

namespace {

// The number of names of the file at path, as NTFS (or Wine) counts them.
unsigned LinkCount(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  return known ? info.nNumberOfLinks : 0;
}

std::vector<std::string>* g_paths = nullptr;
std::int32_t Record(const char* path, const FindData* /*data*/, std::int32_t /*userData*/) {
  g_paths->push_back(path);
  return 1;
}

// The program lives in <tree>\prog, so its backups folder is <tree>\prog\backups.
class WalkWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    g_paths = &paths;
    tree.MakeDir("prog");
    SetProgramPathForTesting(tree.Path("prog\\quillmar.exe"));
    g_strFilter.clear();
  }
  void TearDown() override {
    SetProgramPathForTesting("");
    g_strFilter.clear();
    g_fileList.Close();
    g_paths = nullptr;
  }
  std::vector<std::string> Records() const {
    const std::string list = TempFolder::Read(tree.Path("prog\\backups\\list.txt"));
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1) {
      records.push_back(list.substr(start, end - start));
    }
    EXPECT_EQ(start, list.size()) << "unterminated record in " << list;
    return records;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
  }

  std::vector<std::string> Texts() const { return failures.Texts(); }

  TempFolder tree;
  RecordedFailures failures;
  std::vector<std::string> paths;
};

TEST_F(WalkWin32Test, RecordsCarryDoubledBackslashesBelowTheTop) {
  tree.MakeDir("D\\S\\T");
  tree.Write("D\\a.txt", "a");
  tree.Write("D\\b.dat", "b");
  tree.Write("D\\S\\c.txt", "c");
  tree.Write("D\\S\\T\\d.txt", "d");
  tree.Write("D\\S\\T\\e.TXT", "e");
  g_strFilter = "*.txt";
  const std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(d.c_str(), "*.txt", Record, 0, WALK_FILES | WALK_FOLDERS), WALK_DONE);

  // The pattern's match is the platform's, without regard to case; the filter's is not.
  EXPECT_EQ(Sorted(paths), Sorted({d + "\\a.txt", d + "\\S\\\\c.txt", d + "\\S\\\\T\\\\d.txt",
                                   d + "\\S\\\\T\\\\e.TXT"}));
  EXPECT_EQ(Sorted(Records()),
            Sorted({d + "\\a.txt", d + "\\S\\\\c.txt", d + "\\S\\\\T\\\\d.txt"}));
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\d.txtBACKUP")), "d");
  EXPECT_FALSE(std::filesystem::exists(tree.Path("prog\\backups\\e.TXTBACKUP")));
  EXPECT_TRUE(Texts().empty());

  // Folders reach the callback with their trailing separator.
  paths.clear();
  EXPECT_EQ(WalkFolder(d.c_str(), "*", Record, 0, WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(paths), Sorted({d + "\\S\\", d + "\\S\\\\T\\"}));
}

TEST_F(WalkWin32Test, TheBackupsFolderInsideTheTreeIsNotWalked) {
  tree.Write("prog\\x.txt", "x");
  const std::string top = tree.Path();
  // Twice: the second walk finds the copies of the first in the tree and must not copy them.
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(WalkFolder(top.c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  }
  EXPECT_EQ(Records(),
            (std::vector<std::string>{top + "\\prog\\\\x.txt", top + "\\prog\\\\x.txt"}));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tree.Path("prog\\backups"))) {
    names.push_back(entry.path().filename().string());
  }
  // The lock file that every instance shares stays; no temporary does.
  EXPECT_EQ(Sorted(names),
            (std::vector<std::string>{"list.lock", "list.txt", "paths", "x.txtBACKUP"}));
}

TEST_F(WalkWin32Test, EachPathHasItsOwnCopyBelowItsDriveLetterHardLinkedToTheSharedOne) {
  tree.MakeDir("D\\S");
  tree.MakeDir("E");
  tree.Write("D\\S\\n.txt", "from D");
  tree.Write("E\\n.txt", "from E");
  for (const char* folder : {"D", "E"}) {
    EXPECT_EQ(WalkFolder(tree.Path(folder).c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  }
  EXPECT_TRUE(Texts().empty());
  EXPECT_TRUE(UnprotectedItems().empty());
  // "Z:\\tmp\\...\\D\\S\\n.txt" has its copy at "paths\\Z\\tmp\\...\\D\\S\\n.txt".
  const std::string d = tree.Path("D\\S\\n.txt");
  const std::string e = tree.Path("E\\n.txt");
  const std::string mirror = tree.Path("prog\\backups\\paths") + "\\";
  const std::string ownD = mirror + d.substr(0, 1) + d.substr(2);
  const std::string ownE = mirror + e.substr(0, 1) + e.substr(2);
  EXPECT_EQ(TempFolder::Read(ownD), "from D");
  EXPECT_EQ(TempFolder::Read(ownE), "from E");
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\n.txtBACKUP")), "from E");
  // The latest path's copy and the shared copy are one file with two names.
  EXPECT_EQ(LinkCount(ownE), 2u);
  EXPECT_EQ(LinkCount(ownD), 1u);
}

// Where links are followed, a further name of a file cannot be told from a link to it: each
// name keeps a copy of its own, never a further name of another path's copy.
TEST_F(WalkWin32Test, NamesOfOneFileKeepCopiesOfTheirOwn) {
  tree.MakeDir("D");
  tree.Write("D\\a", "one file");
  ASSERT_TRUE(::CreateHardLinkA(tree.Path("D\\b").c_str(), tree.Path("D\\a").c_str(), nullptr));
  ASSERT_EQ(LinkCount(tree.Path("D\\a")), 2u);
  EXPECT_EQ(WalkFolder(tree.Path("D").c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  EXPECT_TRUE(Texts().empty());
  const std::string a = tree.Path("D\\a");
  const std::string mirror = tree.Path("prog\\backups\\paths") + "\\";
  const std::string ownA = mirror + a.substr(0, 1) + a.substr(2);
  const std::string ownB = ownA.substr(0, ownA.size() - 1) + "b";
  EXPECT_EQ(TempFolder::Read(ownB), "one file");
  // Each own copy is a file with two names: itself and the shared copy of its name.
  EXPECT_EQ(LinkCount(ownA), 2u);
  EXPECT_EQ(LinkCount(ownB), 2u);
}

// A path past the plain form's limit only once the store's folder and "paths\\" stand before
// it still gets its own copy: the extended-length form takes it. (Only a path past 32,767
// characters is reported as too long for one, which Wine, on Linux's 4,096, cannot make.)
TEST_F(WalkWin32Test, APathWhoseOwnCopyIsPastThePlainLimitStillGetsIt) {
  const std::string folder = "D\\" + std::string(200 - tree.Path("D").size(), 'f');
  tree.MakeDir(folder);
  const std::string name = std::string(40, 'n');
  tree.Write(folder + "\\" + name, "long");
  const std::string path = tree.Path(folder + "\\" + name);
  ASSERT_LT(path.size() + 1, 259u);
  g_strFilter.clear();
  EXPECT_EQ(WalkFolder(tree.Path("D").c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\" + name + "BACKUP")), "long");
  EXPECT_TRUE(UnprotectedItems().empty());
  const std::string own =
      tree.Path("prog\\backups\\paths") + "\\" + path.substr(0, 1) + path.substr(2);
  ASSERT_GT(own.size(), 260u);
  CFile copy;
  ASSERT_TRUE(copy.Open(own, CFile::modeRead)) << own;
  std::string read(8, '\0');
  read.resize(copy.Read(read.data(), read.size()));
  EXPECT_EQ(read, "long");
  EXPECT_EQ(Records().size(), 1u);
}

TEST_F(WalkWin32Test, ARestoreMayReadTheListWhileTheWalkHoldsIt) {
  tree.MakeDir("D\\S");
  tree.Write("D\\S\\c.txt", "c");
  // The callback of the sub-folder runs after its parent prepared the store, with list.txt
  // open for the walk: a restore in another process opens it so, to read and replace it.
  bool otherOpened = false;
  static bool* s_otherOpened = nullptr;
  s_otherOpened = &otherOpened;
  const auto tryOpen = [](const char*, const FindData*, std::int32_t) -> std::int32_t {
    CFile other;
    *s_otherOpened = other.Open(g_szListPath, CFile::modeRead | CFile::shareDenyNone);
    return 1;
  };
  const std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(d.c_str(), "*", tryOpen, 0, WALK_FOLDERS), WALK_DONE);
  EXPECT_TRUE(otherOpened);
  CFile after;
  EXPECT_TRUE(after.Open(tree.Path("prog\\backups\\list.txt"), CFile::modeRead));
}

}  // namespace

// An empty Directory box walks the root of the current drive: the search "\*.*" must find
// its folder, and the folders below the root come back as "\NAME\".
TEST_F(WalkWin32Test, EmptyDirectoryWalksTheCurrentDrivesRoot) {
  EXPECT_EQ(WalkFolder("", "*", Record, 0, WALK_FOLDERS | WALK_NO_RECURSE), WALK_DONE);
  ASSERT_FALSE(paths.empty());
  for (const std::string& path : paths) {
    EXPECT_EQ(path.front(), '\\') << path;
    EXPECT_EQ(path.back(), '\\') << path;
    EXPECT_EQ(path.find('\\', 1), path.size() - 1) << path;
  }
}

// Made and read through the narrow functions, which take the program's UTF-8 (the test
// helpers' std::filesystem reads narrow names byte by byte).
void MakeFolderA(const std::string& path) {
  ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
}
void WriteFileA(const std::string& path, const std::string& contents) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  ::CloseHandle(file);
}
std::string ReadFileA(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string contents(4096, '\0');
  DWORD got = 0;
  ::ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &got, nullptr);
  ::CloseHandle(file);
  contents.resize(got);
  return contents;
}

// Japanese, Cyrillic and accented names, the program's own folder among them, go through
// the walk in the UTF-8 code page: copied, recorded in list.txt as UTF-8, and named on disk
// by the characters themselves (looked up again through the wide functions).
TEST_F(WalkWin32Test, NonWesternNamesAreBackedUpAndRecordedInUtf8) {
  const std::string root = tree.Path();
  MakeFolderA(root + "\\日本");
  MakeFolderA(root + "\\日本\\プログラム");
  SetProgramPathForTesting(root + "\\日本\\プログラム\\quillmar.exe");
  const std::string top = root + "\\Документы";
  MakeFolderA(top);
  MakeFolderA(top + "\\été");
  WriteFileA(top + "\\日本語.txt", "ja");
  WriteFileA(top + "\\été\\Привет.txt", "ru");
  WriteFileA(top + "\\été\\naïve résumé.txt", "fr");
  EXPECT_EQ(WalkFolder(top.c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  EXPECT_TRUE(Texts().empty());

  const std::string backups = root + "\\日本\\プログラム\\backups\\";
  const std::string list = ReadFileA(backups + "list.txt");
  std::vector<std::string> records;
  for (std::size_t start = 0, end; (end = list.find(';', start)) != std::string::npos;
       start = end + 1) {
    records.push_back(list.substr(start, end - start));
  }
  EXPECT_EQ(Sorted(records), Sorted({top + "\\日本語.txt", top + "\\été\\\\Привет.txt",
                                     top + "\\été\\\\naïve résumé.txt"}));
  // The bytes are UTF-8 whatever the machine's language: "日本語" is E6 97 A5 E6 9C AC E8 AA 9E.
  EXPECT_NE(list.find("\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt;"), std::string::npos);
  EXPECT_EQ(ReadFileA(backups + "Привет.txtBACKUP"), "ru");

  // The names on disk are the characters themselves, as any other program sees them.
  const std::wstring wideBackups =
      std::filesystem::path(tree.Path()).wstring() + L"\\日本\\プログラム\\backups\\";
  for (const wchar_t* name :
       {L"日本語.txtBACKUP", L"Привет.txtBACKUP", L"naïve résumé.txtBACKUP"}) {
    EXPECT_NE(::GetFileAttributesW((wideBackups + name).c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// The path limit is the real path's: a file of 259 characters is backed up although its
// record, with the walk's doubled separators, is longer; and a path of 300 characters, past
// the plain form's limit, is backed up in the extended-length form.
TEST_F(WalkWin32Test, LongPathsAreBackedUpAndTheLimitIsTheRealPaths) {
  const std::string top = tree.Path("D");
  ASSERT_FALSE(CreateFolder(top.c_str()));
  std::string real = top, record = top;
  for (char letter : {'a', 'b'}) {
    const std::string name(60, letter);
    real += "\\" + name;
    record += (real.size() == top.size() + 61 ? "\\" : "\\\\") + name;
    ASSERT_FALSE(CreateFolder(real.c_str())) << real.size();
  }
  const std::string name259(259 - real.size() - 1, 'f');
  const std::string file259 = real + "\\" + name259;
  ASSERT_EQ(file259.size(), 259u);
  const std::string deeper(100, 'c');
  ASSERT_FALSE(CreateFolder((real + "\\" + deeper).c_str()));
  const std::string name300(300 - real.size() - deeper.size() - 2, 'g');
  const std::string file300 = real + "\\" + deeper + "\\" + name300;
  ASSERT_EQ(file300.size(), 300u);
  for (const std::string& path : {file259, file300}) {
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate)) << path.size();
    ASSERT_TRUE(file.Write(path.data(), 3));
  }

  EXPECT_EQ(WalkFolder(top.c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  EXPECT_EQ(Texts(), std::vector<std::string>());
  const std::string record259 = record + "\\\\" + name259;
  const std::string record300 = record + "\\\\" + deeper + "\\\\" + name300;
  EXPECT_GT(record259.size(), 260u);
  EXPECT_EQ(Sorted(Records()), Sorted({record259, record300}));
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\" + name259 + "BACKUP")),
            file259.substr(0, 3));
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\" + name300 + "BACKUP")),
            file300.substr(0, 3));
}
