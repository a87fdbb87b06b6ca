// A forked child must draw other hidden names than its parent: two writers in step would meet
// on every try, and each gives up after a few.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/hidden_names.h"

namespace {

TEST(HiddenNamesPosixTest, AForkedChildDrawsOtherNamesThanItsParent) {
  std::string parentFirst;
  ASSERT_TRUE(HiddenNameIn("", "a", parentFirst));  // the parent's generator is seeded
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string name;
    HiddenNameIn("", "a", name);
    const bool written =
        ::write(pipeEnds[1], name.data(), name.size()) == static_cast<ssize_t>(name.size());
    ::_exit(written ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  char buffer[64];
  const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_GT(got, 0);
  std::string parentNext;
  ASSERT_TRUE(HiddenNameIn("", "a", parentNext));
  EXPECT_NE(std::string(buffer, static_cast<std::size_t>(got)), parentNext);
}

}  // namespace
