// How the moving keys of a multiple-selection list box move its caret (the item with the
// focus rectangle), for the window backends that draw their own list boxes: the caret moves,
// the selection stays, and the backend scrolls the caret into view.
#pragma once

enum class ListKey { Up, Down, PageUp, PageDown, Home, End };

// The caret after key, in a list of count items of which pageRows are in view at a time.
// A page moves by one item less than the rows in view, as the platform's list boxes do, and
// at least by one. With no caret yet (LB_ERR), End goes to the last item and every other key
// to the first. An empty list has no caret: LB_ERR.
int CaretAfterListKey(ListKey key, int caret, int count, int pageRows);
