// Tests of the times `restore --as-of` takes: each form names the last second it covers.
#include "cli/as_of_time.h"

#include <gtest/gtest.h>

namespace {

TEST(AsOfTimeTest, EachFormCoversUpToItsLastSecond) {
  // 2026-12-07 00:00:00 UTC.
  constexpr std::int64_t kDay = 1796601600;
  EXPECT_EQ(ParseAsOfTime("2026-12-07"), kDay + 86399);
  EXPECT_EQ(ParseAsOfTime("2026-12-07 22:15"), kDay + 22 * 3600 + 15 * 60 + 59);
  EXPECT_EQ(ParseAsOfTime("2026-12-07T22:15:03"), kDay + 22 * 3600 + 15 * 60 + 3);
  EXPECT_EQ(ParseAsOfTime("2026-12-07 22:15:03"), kDay + 22 * 3600 + 15 * 60 + 3);
  EXPECT_EQ(ParseAsOfTime("2026-12-07 221503"), kDay + 22 * 3600 + 15 * 60 + 3);
}

TEST(AsOfTimeTest, AnythingElseIsNoTime) {
  for (const char* wrong :
       {"", "yesterday", "2026-12-7", "2026-02-30", "2026-12-07 25:00", "2026-12-07 22.15",
        "2026-12-07x22:15", "2026-12-07 22:15:3", "07/12/2026"}) {
    EXPECT_FALSE(ParseAsOfTime(wrong)) << wrong;
  }
}

}  // namespace
