// The rule for the focus row of a multiple-selection list, which the keys move and Restore
// acts on: a list with items always has one, the first item to begin with; when its item is
// deleted, the row that takes the deleted one's place, or the new last row.
#pragma once

// The focus row after the item at index deleted was removed from a list that now holds
// countAfter items; focus is the focus row before the removal. LB_ERR for an empty list.
int FocusRowAfterDelete(int focus, int deleted, int countAfter);

// The focus row after an item was inserted at index inserted into a list that now holds
// countAfter items: the first row when there was none, otherwise the same item as before.
int FocusRowAfterInsert(int focus, int inserted, int countAfter);
