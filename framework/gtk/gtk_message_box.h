// Message boxes on GTK: a native message dialog with the text and caption as given, the
// buttons of the style, the first one the default, and Escape or the close box for Cancel or
// No where the box has one.
#pragma once

#include <string>
#include <vector>

#include "framework/window_constants.h"

typedef struct _GtkWindow GtkWindow;

struct MessageBoxButton {
  std::string label;  // with GTK's "_" before the mnemonic letter
  int result;
};

// The buttons a style offers, the default first, and what Escape and the close box answer:
// Cancel or No when the box has it, otherwise OK.
struct MessageBoxButtons {
  std::vector<MessageBoxButton> buttons;
  int escapeResult;
};
MessageBoxButtons ButtonsForStyle(UINT style);

// A detail in smaller type below the text, then a check box, unticked at first; checked
// receives whether it was ticked when the box was answered.
struct MessageBoxCheck {
  std::string detail;
  std::string label;
  bool* checked = nullptr;
};

// Shows the box, above parent when there is one, until the user answers; returns IDOK,
// IDCANCEL, IDYES or IDNO. Without a parent the box is centred on the screen under the
// pointer, where there is a pointer.
int RunGtkMessageBox(GtkWindow* parent, const std::string& text, const std::string& caption,
                     UINT style, bool hasPointer, const MessageBoxCheck& check = {});
