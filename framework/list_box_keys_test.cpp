// Tests of the caret moves of a list box's keys: each key from the middle, at both ends,
// from no caret, with pages of every size and in an empty list.
#include "list_box_keys.h"

#include <gtest/gtest.h>

#include "window_constants.h"

namespace {

TEST(CaretAfterListKey, EachKeyMovesTheCaretWithinTheList) {
  const struct {
    ListKey key;
    int caret, count, pageRows, expected;
  } cases[] = {
      {ListKey::Down, 4, 30, 10, 5},
      {ListKey::Up, 4, 30, 10, 3},
      {ListKey::Down, 29, 30, 10, 29},
      {ListKey::Up, 0, 30, 10, 0},
      {ListKey::PageDown, 4, 30, 10, 13},
      {ListKey::PageUp, 20, 30, 10, 11},
      {ListKey::PageDown, 25, 30, 10, 29},
      {ListKey::PageUp, 5, 30, 10, 0},
      {ListKey::PageDown, 4, 30, 1, 5},
      {ListKey::PageUp, 4, 30, 0, 3},
      {ListKey::Home, 17, 30, 10, 0},
      {ListKey::End, 17, 30, 10, 29},
      {ListKey::End, 0, 1, 10, 0},
      {ListKey::Home, 0, 1, 10, 0},
      // No caret yet, or one left over from a longer list: End to the last, else the first.
      {ListKey::End, LB_ERR, 30, 10, 29},
      {ListKey::Down, LB_ERR, 30, 10, 0},
      {ListKey::PageDown, LB_ERR, 30, 10, 0},
      {ListKey::Up, LB_ERR, 30, 10, 0},
      {ListKey::Down, 40, 30, 10, 0},
      {ListKey::End, 40, 30, 10, 29},
      // An empty list has no caret to move.
      {ListKey::Home, LB_ERR, 0, 10, LB_ERR},
      {ListKey::End, 0, 0, 10, LB_ERR},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaretAfterListKey(c.key, c.caret, c.count, c.pageRows), c.expected)
        << "key " << static_cast<int>(c.key) << " from " << c.caret << " of " << c.count
        << ", page " << c.pageRows;
  }
}

}  // namespace
