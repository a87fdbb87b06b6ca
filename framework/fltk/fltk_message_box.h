// Message boxes on FLTK: a modal window with the text, an optional information sign and the
// buttons of its style. The first button is the default: it has the focus when the box opens.
#pragma once

#include <string>
#include <vector>

#include "framework/window_constants.h"

class FltkBackend;

struct MessageBoxButton {
  std::string label;
  int result;
};

// The buttons a style offers, the default first, and what Escape and the close box answer:
// Cancel or No when the box has it, otherwise OK.
struct MessageBoxButtons {
  std::vector<MessageBoxButton> buttons;
  int escapeResult;
};
MessageBoxButtons ButtonsForStyle(UINT style);

// Shows the box until the user answers; returns IDOK, IDCANCEL, IDYES or IDNO.
int RunFltkMessageBox(FltkBackend& backend, const std::string& text, const std::string& caption,
                      UINT style);
