// A DialogTemplate written out as the in-memory DLGTEMPLATEEX that CreateDialogIndirectParamA
// takes: dialog units, the template's font, its styles and its controls in tab order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialog_template.h"

// The words of the template, DWORD-aligned as the platform requires (the vector's storage
// is). Texts are widened byte by byte from the program's code page, which holds for the
// templates' ASCII texts. WS_VISIBLE is taken off the dialog's style: the window is shown by
// its modal run, after its initialisation. An SS_ICON static gets no text; its picture is
// set once the window exists. A list box becomes a no-data one (win32_list_box.h).
// A template in the shell's dialog font ("MS Shell Dlg", "MS Shell Dlg 2") gets shellFont
// instead, when one is given: the face and point size the system uses for its own messages.
struct ShellDialogFont {
  std::wstring face;
  int pointSize = 0;
};
std::vector<std::uint16_t> BuildMemoryTemplate(const DialogTemplate& dialogTemplate,
                                               const ShellDialogFont* shellFont = nullptr);

// The system's message font (Segoe UI 9 on Windows 10 and 11); nothing when the system
// does not say.
std::optional<ShellDialogFont> SystemMessageFont();
