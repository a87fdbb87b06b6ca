// The focus row's moves when items come and go.
#include "focus_row.h"

#include <algorithm>

#include "framework/window_constants.h"

int FocusRowAfterDelete(int focus, int deleted, int countAfter) {
  if (countAfter <= 0) return LB_ERR;
  if (focus == LB_ERR || focus < 0) return 0;
  if (deleted < focus) --focus;
  return std::min(focus, countAfter - 1);
}

int FocusRowAfterInsert(int focus, int inserted, int countAfter) {
  if (countAfter <= 0) return LB_ERR;
  if (focus == LB_ERR || focus < 0) return 0;
  return inserted <= focus ? std::min(focus + 1, countAfter - 1) : focus;
}
