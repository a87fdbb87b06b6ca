// Tests of what a copy keeps besides the bytes, there and back again: the copy into a store
// (CopyFileToName) and the copy back from it (SourceFile::CopyTo), on real files.
#include "platform/file_metadata_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "platform/file_copies.h"
#include "platform/test_support/run_as_nobody.h"
#include "platform/test_support/temp_folder.h"

namespace {

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

std::optional<std::string> Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value) {
  return ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

// An access list that gives user nobody read and write, in the kernel's binary form: a header
// (version 2), then tag, permissions and id for the owner, one named user, the group, the mask
// and others.
std::string AccessListForNobody() {
  std::string list;
  auto put32 = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) list += static_cast<char>((value >> (8 * i)) & 0xff);
  };
  auto entry = [&](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
    list += static_cast<char>(tag & 0xff);
    list += static_cast<char>(tag >> 8);
    list += static_cast<char>(permissions & 0xff);
    list += static_cast<char>(permissions >> 8);
    put32(id);
  };
  put32(2);
  entry(0x01, 6, 0xffffffffu);  // owner
  entry(0x02, 6, 65534);        // user nobody
  entry(0x04, 4, 0xffffffffu);  // group
  entry(0x10, 6, 0xffffffffu);  // mask
  entry(0x20, 4, 0xffffffffu);  // others
  return list;
}

class FileMetadataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("work");
    folder.MakeDir("store");
    folder.Write("source", "contents");
  }

  // The source into the store, then the store's copy back to restored (over whatever is
  // there). Returns false, with a failure, when either copy failed.
  bool RoundTrip() {
    const FileNote note{"quillmar.origin", "/from/this/store"};
    const NamedCopyResult copied =
        CopyFileToName(Path("source").c_str(), Path("work"), Path("store/copy"), &note);
    EXPECT_FALSE(copied.source);
    EXPECT_FALSE(copied.write);
    EXPECT_FALSE(copied.name);
    SourceFile copy;
    EXPECT_FALSE(copy.Open(Path("store/copy").c_str()));
    const std::error_code back = copy.CopyTo(Path("restored").c_str(), /*failIfExists=*/false);
    EXPECT_FALSE(back);
    return !copied.source && !copied.write && !copied.name && !back;
  }
  std::string Path(const std::string& relative) const { return folder.Path(relative); }

  TempFolder folder;
};

TEST_F(FileMetadataTest, ModeBitsTimesAndUserAttributesGoThereAndBackButNotTheNotes) {
  ASSERT_EQ(::chmod(Path("source").c_str(), 07750), 0);
  const struct timespec times[2] = {{1'000'000'000, 123'456'789}, {1'200'000'000, 987'654'321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Path("source").c_str(), times, 0), 0);
  if (!SetAttribute(Path("source"), "user.colour", "blue")) {
    GTEST_SKIP() << "the temporary folder's file system holds no user extended attributes";
  }
  // A source restored from another store, or copied from one, carries that store's notes.
  ASSERT_TRUE(SetAttribute(Path("source"), "user.quillmar.origin", "/another/store"));
  ASSERT_TRUE(SetAttribute(Path("source"), "user.quillmar.taken", "elsewhere"));
  // The file restored over has other bits, times and attributes of its own.
  folder.Write("restored", "a newer file");
  ASSERT_TRUE(SetAttribute(Path("restored"), "user.other", "gone"));
  ASSERT_TRUE(RoundTrip());

  for (const std::string name : {"store/copy", "restored"}) {
    SCOPED_TRACE(name);
    const struct stat st = StatOf(Path(name));
    EXPECT_EQ(st.st_mode & 07777, 07750u);
    EXPECT_EQ(st.st_atim.tv_sec, times[0].tv_sec);
    EXPECT_EQ(st.st_atim.tv_nsec, times[0].tv_nsec);
    EXPECT_EQ(st.st_mtim.tv_sec, times[1].tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, times[1].tv_nsec);
    EXPECT_EQ(Attribute(Path(name), "user.colour"), "blue");
    EXPECT_EQ(TempFolder::Read(Path(name)), "contents");
    EXPECT_EQ(Attribute(Path(name), "user.quillmar.taken"), std::nullopt);
  }
  // The store's copy has this store's origin, never the source's; the restored file has none.
  EXPECT_EQ(Attribute(Path("store/copy"), "user.quillmar.origin"), "/from/this/store");
  EXPECT_EQ(Attribute(Path("restored"), "user.quillmar.origin"), std::nullopt);
  EXPECT_EQ(Attribute(Path("restored"), "user.other"), std::nullopt);
}

TEST_F(FileMetadataTest, TheAccessListGoesThereAndBack) {
  const std::string list = AccessListForNobody();
  if (::setxattr(Path("source").c_str(), "system.posix_acl_access", list.data(), list.size(), 0) !=
      0) {
    GTEST_SKIP() << "the temporary folder's file system has no POSIX access lists ("
                 << std::strerror(errno) << ")";
  }
  const std::optional<std::string> before = Attribute(Path("source"), "system.posix_acl_access");
  ASSERT_TRUE(before);
  const mode_t mode = StatOf(Path("source")).st_mode & 07777;
  ASSERT_TRUE(RoundTrip());
  for (const std::string name : {"store/copy", "restored"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Attribute(Path(name), "system.posix_acl_access"), before);
    EXPECT_EQ(StatOf(Path(name)).st_mode & 07777, mode);
  }
}

TEST_F(FileMetadataTest, RootKeepsTheOwnerAndTheSetIdBitsWithIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  ASSERT_EQ(::chown(Path("source").c_str(), 65534, 65534), 0);
  // After the owner: a change of owner clears the set-id bits.
  ASSERT_EQ(::chmod(Path("source").c_str(), 06755), 0);
  ASSERT_TRUE(RoundTrip());
  for (const std::string name : {"store/copy", "restored"}) {
    SCOPED_TRACE(name);
    const struct stat st = StatOf(Path(name));
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 06755u);
  }
}

TEST_F(FileMetadataTest, AnOwnerThatCannotBeGivenTakesTheSetIdBitsButNotTheContents) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the copy as another user";
  // Root's set-id file, readable by all, copied and restored by user nobody.
  ASSERT_EQ(::chmod(Path("source").c_str(), 06755), 0);
  ASSERT_EQ(::chmod(Path("work").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(Path("store").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(Path("").c_str(), 0755), 0);
  const std::string report = RunAsNobody([&] {
    const NamedCopyResult copied =
        CopyFileToName(Path("source").c_str(), Path("work"), Path("store/copy"), nullptr);
    if (copied.source || copied.write || copied.name) return std::string("copy failed");
    SourceFile copy;
    if (copy.Open(Path("store/copy").c_str())) return std::string("open failed");
    if (copy.CopyTo(Path("store/restored").c_str(), true)) return std::string("restore failed");
    return std::string("done");
  });
  EXPECT_EQ(report, "done");
  for (const std::string name : {"store/copy", "store/restored"}) {
    SCOPED_TRACE(name);
    const struct stat st = StatOf(Path(name));
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(TempFolder::Read(Path(name)), "contents");
  }
}

}  // namespace
