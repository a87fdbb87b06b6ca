// Tests of the path string operations: wildcard match, extension, file name, folder part.
#include "platform/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MatchesWildcardTest, StarAndQuestionMark) {
  EXPECT_TRUE(MatchesWildcard("/d/a.txt", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("/d/A.TXT", "*.txt"));  // letters without regard to case
  EXPECT_TRUE(MatchesWildcard("/d/a.txt", "*.TXT"));
  EXPECT_FALSE(MatchesWildcard("/d/a.txt.old", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("abc", "a?c"));
  EXPECT_FALSE(MatchesWildcard("ac", "a?c"));
  EXPECT_FALSE(MatchesWildcard("abcd", "a?c"));
  EXPECT_TRUE(MatchesWildcard("anything/at//all/", "*"));
  EXPECT_TRUE(MatchesWildcard("", "*"));
  EXPECT_TRUE(MatchesWildcard("", ""));
  EXPECT_FALSE(MatchesWildcard("x", ""));
  EXPECT_TRUE(MatchesWildcard("xaybzb", "*a*b"));  // the last star has to widen
  EXPECT_FALSE(MatchesWildcard("xaybzc", "*a*b"));
  EXPECT_TRUE(MatchesWildcard("/d/A//b.txt", "/D/*//?.txt"));
}

TEST(MatchesWildcardTest, DotStarAlsoMatchesNamesWithoutExtension) {
  EXPECT_TRUE(MatchesWildcard("noext", "*.*"));
  EXPECT_TRUE(MatchesWildcard("/d/A/", "*.*"));
  EXPECT_TRUE(MatchesWildcard("a.b", "*.*"));
  EXPECT_TRUE(MatchesWildcard("readme", "readme.*"));
  EXPECT_TRUE(MatchesWildcard("readme.md", "readme.*"));
  EXPECT_FALSE(MatchesWildcard("other", "readme.*"));
  EXPECT_FALSE(MatchesWildcard("readme.md", "readme.txt"));
}

TEST(MatchesWildcardTest, ManyStarsAgainstALongMismatchEnds) {
  std::string text(4000, 'a');
  EXPECT_FALSE(MatchesWildcard(text, "*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesWildcard(text + "b", "*a*a*a*a*a*a*a*a*b"));
}

TEST(FindExtensionTest, LastDotOfTheLastNamePart) {
  EXPECT_EQ(FindExtension("a.txt"), ".txt");
  EXPECT_EQ(FindExtension("/d/x.tar.gz"), ".gz");
  EXPECT_EQ(FindExtension("*.tar.gz"), ".gz");
  EXPECT_EQ(FindExtension("a.txt.old"), ".old");
  EXPECT_EQ(FindExtension(".bashrc"), ".bashrc");
  EXPECT_EQ(FindExtension("name."), ".");
  EXPECT_EQ(FindExtension("*"), "");
  EXPECT_EQ(FindExtension("dir.d/noext"), "");
  EXPECT_EQ(FindExtension(""), "");
  std::string_view path = "folder.x/plain";
  std::string_view none = FindExtension(path);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.data(), path.data() + path.size());  // points at the end
}

TEST(FindFileNameTest, PartAfterTheLastSeparator) {
  EXPECT_EQ(FindFileName("/a/b.txt"), "b.txt");
  EXPECT_EQ(FindFileName("/a//b"), "b");
  EXPECT_EQ(FindFileName("b"), "b");
  EXPECT_EQ(FindFileName("/a/"), "");
}

TEST(RemoveFileSpecTest, CutsTheLastNameInPlace) {
  char path[32] = "/a/b/quillmar";
  EXPECT_TRUE(RemoveFileSpec(path));
  EXPECT_STREQ(path, "/a/b");
  char top[] = "/a";
  EXPECT_TRUE(RemoveFileSpec(top));
  EXPECT_STREQ(top, "/");
  char root[] = "/";
  EXPECT_FALSE(RemoveFileSpec(root));
  EXPECT_STREQ(root, "/");
  char bare[] = "a";
  EXPECT_TRUE(RemoveFileSpec(bare));
  EXPECT_STREQ(bare, "");
  char empty[] = "";
  EXPECT_FALSE(RemoveFileSpec(empty));
  char trailing[] = "/a/b/";
  EXPECT_TRUE(RemoveFileSpec(trailing));
  EXPECT_STREQ(trailing, "/a/b");
}

}  // namespace

TEST(PartsBelowRootTest, DoubledSeparatorsLeadToTheSamePlaceAndUnsureOnesToNone) {
  EXPECT_EQ(PartsBelowRoot("/home/me/a.txt"), "home/me/a.txt");
  EXPECT_EQ(PartsBelowRoot("/home//me//docs/a.txt"), PartsBelowRoot("/home/me/docs/a.txt"));
  EXPECT_EQ(PartsBelowRoot("//x"), "x");
  // Without a root, or with parts that need the file system to resolve, a mirror of the parts
  // could name another file's place, or one outside the mirror.
  for (const char* unsure : {"a/b", "", "/", "/a/../b", "/a/./b", "/.."}) {
    EXPECT_EQ(PartsBelowRoot(unsure), std::nullopt) << unsure;
  }
}

TEST(PartsBelowRootTest, PartsLeadBackToTheirPath) {
  for (const char* path : {"/home/me/a.txt", "/x", "/d/s/.bashrc"}) {
    EXPECT_EQ(PathFromPartsBelowRoot(*PartsBelowRoot(path)), path);
  }
  EXPECT_EQ(PathFromPartsBelowRoot(""), std::nullopt);
}

TEST(IsSamePathTest, DoubledSeparatorsAreOneAndCaseCounts) {
  EXPECT_TRUE(IsSamePath("/d/s//a.txt", "/d/s/a.txt"));
  EXPECT_FALSE(IsSamePath("/d/s/a.txt", "/d/s/A.txt"));
  EXPECT_FALSE(IsSamePath("/d/s/a.txt", "/d/sa.txt"));
}

TEST(NormalPathTest, DotsResolveLexicallyAndSeparatorsCollapse) {
  const struct {
    const char* typed;
    const char* normal;
  } cases[] = {
      {"/home/me/docs", "/home/me/docs"},
      {"/home/me/./docs", "/home/me/docs"},
      {"/home/me/docs/.", "/home/me/docs"},
      {"/home/me/other/../docs", "/home/me/docs"},
      {"/home/me/docs/a/b/../..", "/home/me/docs"},
      {"/home//me///docs", "/home/me/docs"},
      {"/home/me/docs/", "/home/me/docs"},
      {"/home/me/docs//", "/home/me/docs"},
      // A ".." takes off the part typed before it, even when that part is a link.
      {"/home/link-to-elsewhere/..", "/home"},
      // Nothing is above the root.
      {"/..", "/"},
      {"/../../etc", "/etc"},
      {"/", "/"},
      {"//", "/"},
      {"/.", "/"},
      // Names that only look like dots are names.
      {"/a/.../b", "/a/.../b"},
      {"/a/..b/.c", "/a/..b/.c"},
      {"/a/b../c.", "/a/b../c."},
      // A relative path keeps the climbs above its start.
      {"a/b/..", "a"},
      {"a/..", "."},
      {".", "."},
      {"./", "."},
      {"..", ".."},
      {"../../a", "../../a"},
      {"a/../../b", "../b"},
      {"./notes/README", "notes/README"},
      {"notes/../notes/x", "notes/x"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalPath(c.typed), c.normal) << c.typed;
    // Resolving again changes nothing.
    EXPECT_EQ(NormalPath(NormalPath(c.typed)), c.normal) << c.typed;
  }
}

TEST(NormalPathTest, AnAbsoluteResultAlwaysSaysWhereItLies) {
  // What the store needs of a folder before a walk: every path below it has parts that place
  // it, so that it gets a copy of its own.
  for (const char* typed : {"/a/./b", "/a/../b", "/a/b/", "//a//./b/..//c/.", "/x/.."}) {
    const std::string normal = NormalPath(typed);
    EXPECT_TRUE(PartsBelowRoot(normal + "/file")) << typed << " gives " << normal;
  }
}
