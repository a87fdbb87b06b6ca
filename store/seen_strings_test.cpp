// Tests of the fixed-memory set behind the clean's guesses: it must never forget a string it
// was given, and must tell most strings it was not given from those it was.
#include "store/seen_strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string NameNumber(int i) { return "f" + std::to_string(i) + ".txt"; }

TEST(SeenStringsTest, AStringIsNewOnceThenSeenForGood) {
  SeenStrings seen(1 << 16);
  EXPECT_FALSE(seen.MayContain("a.txt"));
  EXPECT_FALSE(seen.Add("a.txt"));
  EXPECT_TRUE(seen.Add("a.txt"));
  EXPECT_TRUE(seen.MayContain("a.txt"));
}

TEST(SeenStringsTest, EveryAddedStringStaysSeenAndFewOthersLookSeen) {
  SeenStrings seen(1 << 16);
  for (int i = 0; i < 2000; ++i) seen.Add(NameNumber(i));
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(seen.MayContain(NameNumber(i))) << NameNumber(i);
  // 2,000 bits of 65,536 are set: about 3 % of other strings may look seen.
  int wronglySeen = 0;
  for (int i = 2000; i < 4000; ++i) wronglySeen += seen.MayContain(NameNumber(i)) ? 1 : 0;
  EXPECT_LT(wronglySeen, 200);
}

TEST(SeenStringsTest, ASetOfOneWordStillWorks) {
  SeenStrings seen(1);
  EXPECT_FALSE(seen.Add("x"));
  EXPECT_TRUE(seen.MayContain("x"));
}

}  // namespace
