// The caret of a multiple-selection list box across inserts and deletes.
#include "list_box_caret.h"

#include <algorithm>

#include "window_constants.h"

int CaretAfterInsert(int caret, int index) {
  if (caret == LB_ERR || caret < 0) return 0;
  return caret >= index ? caret + 1 : caret;
}

int CaretAfterDelete(int caret, int index, int countAfter) {
  if (countAfter <= 0) return LB_ERR;
  if (caret == LB_ERR || caret < 0) return 0;
  if (caret > index) --caret;
  return std::min(caret, countAfter - 1);
}
