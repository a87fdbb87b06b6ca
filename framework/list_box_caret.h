// Where the caret (the item with the focus rectangle) of a multiple-selection list box goes
// when items come and go, for the window backends that keep their own: the platform's list
// box always has one while it holds items, so an action on "the current item" never finds
// none just because nobody clicked yet or the item it stood on was removed.
#pragma once

// The caret after an item was inserted at index (0 to the count before) into a list whose
// caret was caret (LB_ERR when the list was empty): the first item of a list that was empty,
// otherwise the item the caret stood on.
int CaretAfterInsert(int caret, int index);

// The caret after the item at index was deleted, leaving countAfter items. The caret follows
// its item; when that item itself went, it stays at the same index, which now holds the next
// item, or moves to the last item when the deleted one was last. LB_ERR once the list is empty.
int CaretAfterDelete(int caret, int index, int countAfter);
