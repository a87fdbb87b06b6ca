// Tests of the focus row's moves as items are deleted and inserted.
#include "focus_row.h"

#include <gtest/gtest.h>

#include "framework/window_constants.h"

TEST(FocusRow, DeletingTheFocusRowFocusesTheRowNowAtItsIndexOrTheNewLastRow) {
  EXPECT_EQ(FocusRowAfterDelete(2, 2, 4), 2);  // the next item moved up into row 2
  EXPECT_EQ(FocusRowAfterDelete(4, 4, 4), 3);  // the last row went: the new last row
  EXPECT_EQ(FocusRowAfterDelete(0, 0, 1), 0);
  EXPECT_EQ(FocusRowAfterDelete(0, 0, 0), LB_ERR);  // nothing left to focus
}

TEST(FocusRow, DeletingAnotherRowKeepsTheFocusOnTheSameItem) {
  EXPECT_EQ(FocusRowAfterDelete(3, 1, 5), 2);  // above: the item moved up one row
  EXPECT_EQ(FocusRowAfterDelete(1, 3, 5), 1);  // below: nothing moved
}

TEST(FocusRow, AListWithItemsAlwaysHasAFocusRowTheFirstToBeginWith) {
  EXPECT_EQ(FocusRowAfterInsert(LB_ERR, 0, 1), 0);
  EXPECT_EQ(FocusRowAfterInsert(LB_ERR, 5, 6), 0);
  EXPECT_EQ(FocusRowAfterInsert(2, 5, 6), 2);  // appended below: unchanged
  EXPECT_EQ(FocusRowAfterInsert(2, 1, 6), 3);  // inserted above: follows its item
  EXPECT_EQ(FocusRowAfterDelete(LB_ERR, 0, 3), 0);
}
