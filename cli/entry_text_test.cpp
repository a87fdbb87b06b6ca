// Tests of how list writes entries: one line whatever the name holds, JSON that a strict reader
// takes, and the bytes of a name that is not UTF-8 given back whole.
#include "cli/entry_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EntryTextTest, ALineHoldsNoControlCharacter) {
  EXPECT_EQ(EntryLine("/d/plain name.txt"), "/d/plain name.txt");
  EXPECT_EQ(EntryLine("/d/two\nlines\r.txt"), "/d/two\\x0Alines\\x0D.txt");
  EXPECT_EQ(EntryLine(std::string("/d/t\tab\x7F\x01\0", 10)), "/d/t\\x09ab\\x7F\\x01\\x00");
  // Bytes from 0x80 up are the name's own letters, or bytes the terminal shows as it can.
  EXPECT_EQ(EntryLine("/d/caf\xC3\xA9\xFF"), "/d/caf\xC3\xA9\xFF");
}

TEST(EntryTextTest, WellFormedUtf8IsToldFromEverythingElse) {
  const struct {
    std::string text;
    bool utf8;
  } cases[] = {
      {"", true},
      {"plain ascii", true},
      {"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", true},  // 2, 3 and 4 bytes
      {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", true},                           // U+FFFF, U+10FFFF
      {"\xFF", false},
      {"\x80", false},              // a continuation byte alone
      {"\xC3", false},              // a lead byte at the end
      {"\xC3(", false},             // a lead byte without its continuation
      {"\xC0\xAF", false},          // an overlong '/'
      {"\xE0\x80\xAF", false},      // an overlong '/' in three bytes
      {"\xF0\x80\x80\xAF", false},  // and in four
      {"\xED\xA0\x80", false},      // a surrogate, U+D800
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xE6\x97", false},  // a sequence cut short
  };
  for (const auto& c : cases) EXPECT_EQ(IsUtf8(c.text), c.utf8) << c.text;
}

TEST(EntryTextTest, JsonStringsEscapeWhatJsonRequiresAndReplaceWhatIsNotUtf8) {
  EXPECT_EQ(JsonString("/d/a.txt"), "\"/d/a.txt\"");
  EXPECT_EQ(JsonString("say \"hi\"\\"), "\"say \\\"hi\\\"\\\\\"");
  EXPECT_EQ(JsonString(std::string("a\nb\tc\x01\x1F", 7)), "\"a\\u000ab\\u0009c\\u0001\\u001f\"");
  EXPECT_EQ(JsonString(std::string("z\0z", 3)), "\"z\\u0000z\"");
  EXPECT_EQ(JsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
  // Each byte outside well-formed UTF-8 becomes U+FFFD; the sequences around it stay.
  EXPECT_EQ(JsonString("a\xFF"
                       "b"),
            "\"a\xEF\xBF\xBD"
            "b\"");
  EXPECT_EQ(JsonString("\xC0\xAF\xC3\xA9"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9\"");
  EXPECT_EQ(JsonString("\xE6\x97"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  // Whatever goes in, what comes out is UTF-8.
  for (int byte = 0; byte < 256; ++byte) {
    const std::string text = "x" + std::string(1, static_cast<char>(byte)) + "y";
    EXPECT_TRUE(IsUtf8(JsonString(text))) << byte;
  }
}

TEST(EntryTextTest, Base64FollowsTheStandardsExamples) {
  // RFC 4648, section 10.
  EXPECT_EQ(Base64(""), "");
  EXPECT_EQ(Base64("f"), "Zg==");
  EXPECT_EQ(Base64("fo"), "Zm8=");
  EXPECT_EQ(Base64("foo"), "Zm9v");
  EXPECT_EQ(Base64("foob"), "Zm9vYg==");
  EXPECT_EQ(Base64("fooba"), "Zm9vYmE=");
  EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64(std::string("\xFF\xFE\x00\x80", 4)), "//4AgA==");
}

}  // namespace
