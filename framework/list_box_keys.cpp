// The caret moves of a list box's keys.
#include "list_box_keys.h"

#include <algorithm>

#include "window_constants.h"

int CaretAfterListKey(ListKey key, int caret, int count, int pageRows) {
  if (count <= 0) return LB_ERR;
  const int last = count - 1;
  if (caret == LB_ERR || caret < 0 || caret > last) return key == ListKey::End ? last : 0;
  const int page = std::max(1, pageRows - 1);
  switch (key) {
    case ListKey::Up:
      return std::max(0, caret - 1);
    case ListKey::Down:
      return std::min(last, caret + 1);
    case ListKey::PageUp:
      return std::max(0, caret - page);
    case ListKey::PageDown:
      return std::min(last, caret + page);
    case ListKey::Home:
      return 0;
    case ListKey::End:
      return last;
  }
  return caret;
}
