// Tests of the path operations on Windows, where the platform's own functions answer: '\'
// paths with drive letters, ';'-separated pattern lists, and the root of a drive.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/path_parts.h"

namespace {

struct MatchCase {
  const char* text;
  const char* pattern;
  bool matches;
};

TEST(PathPartsWin32Test, WildcardMatchOfWholePaths) {
  const MatchCase cases[] = {
      {"Z:\\d\\a.txt", "*.txt", true},
      {"Z:\\d\\A.TXT", "*.txt", true},  // letters without regard to case
      {"Z:\\d\\a.txt.old", "*.txt", false},
      {"Z:\\d\\S\\\\c.txt", "*.txt", true},
      {"Z:\\d\\S\\", "*.txt", false},
      {"Z:\\d\\S\\", "*.*", true},
      {"noext", "*.*", true},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"Z:\\d\\a.doc", "*.txt;*.doc", true},  // a list of patterns: any one will do
      {"Z:\\d\\a.png", "*.txt;*.doc", false},
      {"x", "", false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.text, c.pattern), c.matches) << c.text << " ~ " << c.pattern;
  }
  // Views that are not terminated where they end: only the view counts.
  const std::string longer = "a.txtXYZ";
  EXPECT_TRUE(MatchesWildcard(std::string_view(longer).substr(0, 5), "*.txt"));
}

TEST(PathPartsWin32Test, ExtensionAndFileNameOfTheLastPart) {
  EXPECT_EQ(FindExtension("Z:\\d\\x.tar.gz"), ".gz");
  EXPECT_EQ(FindExtension("*.txt"), ".txt");
  EXPECT_EQ(FindExtension("Z:\\dir.d\\noext"), "");
  const std::string_view path = "Z:\\folder.x\\plain";
  EXPECT_EQ(FindExtension(path).data(), path.data() + path.size());  // points at the end
  EXPECT_EQ(FindFileName("Z:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(FindFileName("Z:\\a\\S\\\\c.txt"), "c.txt");
  EXPECT_EQ(FindFileName("b"), "b");
}

TEST(PathPartsWin32Test, RemoveFileSpecKeepsTheDriveRoot) {
  struct Case {
    const char* before;
    bool removed;
    const char* after;
  };
  const Case cases[] = {
      {"C:\\a\\b\\quillmar.exe", true, "C:\\a\\b"},
      {"C:\\a", true, "C:\\"},
      {"C:\\", false, "C:\\"},
      {"a", true, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    char path[64];
    std::snprintf(path, sizeof path, "%s", c.before);
    EXPECT_EQ(RemoveFileSpec(path), c.removed) << c.before;
    EXPECT_STREQ(path, c.after) << c.before;
  }
  EXPECT_FALSE(RemoveFileSpec(nullptr));
}

TEST(PathPartsWin32Test, PartsBelowRootTakeTheDriveAndTheServerAsFolders) {
  EXPECT_EQ(PartsBelowRoot("C:\\Users\\me\\a.txt"), "C\\Users\\me\\a.txt");
  EXPECT_EQ(PartsBelowRoot("c:\\Users\\\\me\\a.txt"), "C\\Users\\me\\a.txt");
  EXPECT_EQ(PartsBelowRoot("\\\\server\\share\\a.txt"), "UNC\\server\\share\\a.txt");
  for (const char* unsure : {"a\\b", "\\a", "C:a", "C:\\", "C:\\a\\..\\b", "\\\\?\\C:\\a"}) {
    EXPECT_EQ(PartsBelowRoot(unsure), std::nullopt) << unsure;
  }
  EXPECT_EQ(PathFromPartsBelowRoot("C\\Users\\me\\a.txt"), "C:\\Users\\me\\a.txt");
  EXPECT_EQ(PathFromPartsBelowRoot("UNC\\server\\share\\a.txt"), "\\\\server\\share\\a.txt");
  for (const char* none : {"", "C", "CD\\a.txt", "UNC\\server\\share", "UNC\\server"}) {
    EXPECT_EQ(PathFromPartsBelowRoot(none), std::nullopt) << none;
  }
  EXPECT_TRUE(IsSamePath("C:\\D\\S\\\\a.txt", "c:\\d\\s\\A.TXT"));
  EXPECT_FALSE(IsSamePath("C:\\D\\a.txt", "C:\\E\\a.txt"));
}

}  // namespace

namespace {

TEST(PathPartsWin32Test, NormalPathKeepsDrivesAndSharesAndTakesEitherSeparator) {
  const struct {
    const char* typed;
    const char* normal;
  } cases[] = {
      {"C:\\Users\\me\\docs", "C:\\Users\\me\\docs"},
      {"C:\\Users\\me\\.\\docs\\", "C:\\Users\\me\\docs"},
      {"C:\\Users\\other\\..\\me\\\\docs", "C:\\Users\\me\\docs"},
      {"C:/Users/me/docs/", "C:\\Users\\me\\docs"},
      {"c:\\Users/me\\./docs", "c:\\Users\\me\\docs"},
      {"C:\\..", "C:\\"},
      {"C:\\", "C:\\"},
      {"C:/", "C:\\"},
      {"C:\\.\\", "C:\\"},
      // A share's root is its server and its share: ".." climbs no higher.
      {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
      {"\\\\server\\share\\..\\..", "\\\\server\\share"},
      {"//server/share/a/", "\\\\server\\share\\a"},
      {"\\\\server\\share\\", "\\\\server\\share"},
      // Rooted on the current drive, and relative to a drive's current folder.
      {"\\a\\..\\b\\", "\\b"},
      {"/a/./b", "\\a\\b"},
      {"C:a\\..\\b", "C:b"},
      {"C:..\\x", "C:..\\x"},
      {"C:", "C:"},
      // Relative.
      {".\\notes\\README", "notes\\README"},
      {"notes/../notes/x", "notes\\x"},
      {"a\\..\\..", ".."},
      {".", "."},
      {"", ""},
      // The system takes these literally: so do we.
      {"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\a\\..\\b"},
      {"\\\\.\\COM1", "\\\\.\\COM1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalPath(c.typed), c.normal) << c.typed;
    EXPECT_EQ(NormalPath(NormalPath(c.typed)), c.normal) << c.typed;
  }
}

}  // namespace
