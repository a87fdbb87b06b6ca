// Tests of the caret of a multiple-selection list box across inserts and deletes: a list
// filled from empty, the caret's own item removed in the middle and at the end, other items
// removed around it, and a list emptied by always removing the caret item.
#include "list_box_caret.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window_constants.h"

namespace {

// A list box's items and caret, changed only through the rules under test.
struct List {
  std::vector<std::string> items;
  int caret = LB_ERR;

  void Insert(int index, const std::string& text) {
    items.insert(items.begin() + index, text);
    caret = CaretAfterInsert(caret, index);
  }
  void Delete(int index) {
    items.erase(items.begin() + index);
    caret = CaretAfterDelete(caret, index, static_cast<int>(items.size()));
  }
  std::string Current() const { return caret == LB_ERR ? "(none)" : items.at(caret); }
};

TEST(ListBoxCaret, AFilledListStartsAtItsFirstItemAndTheCaretFollowsItsItem) {
  List list;
  list.Insert(0, "b");
  EXPECT_EQ(list.Current(), "b");
  list.Insert(1, "c");
  list.Insert(0, "a");  // before the caret: it stays on "b"
  EXPECT_EQ(list.caret, 1);
  EXPECT_EQ(list.Current(), "b");
  list.Delete(0);  // before the caret
  EXPECT_EQ(list.Current(), "b");
  list.Delete(1);  // after it
  EXPECT_EQ(list.Current(), "b");
}

TEST(ListBoxCaret, RemovingTheCaretItemLeavesTheCaretOnTheItemNowAtItsIndex) {
  List list;
  for (const char* item : {"a", "b", "c", "d"})
    list.Insert(static_cast<int>(list.items.size()), item);
  list.caret = 1;
  list.Delete(1);
  EXPECT_EQ(list.Current(), "c");
  // The last item: the caret goes to the new last one.
  list.caret = 2;
  list.Delete(2);
  EXPECT_EQ(list.Current(), "c");
  list.Delete(1);
  EXPECT_EQ(list.Current(), "a");
  list.Delete(0);
  EXPECT_EQ(list.caret, LB_ERR);
}

TEST(ListBoxCaret, RemovingTheCaretItemOverAndOverEmptiesTheListInOrder) {
  List list;
  for (const char* item : {"a", "b", "c", "d", "e"}) {
    list.Insert(static_cast<int>(list.items.size()), item);
  }
  list.caret = 2;
  std::vector<std::string> removed;
  while (list.caret != LB_ERR) {
    removed.push_back(list.Current());
    list.Delete(list.caret);
  }
  EXPECT_EQ(removed, (std::vector<std::string>{"c", "d", "e", "b", "a"}));
  EXPECT_TRUE(list.items.empty());
}

}  // namespace
