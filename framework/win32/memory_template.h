// A DialogTemplate written out as the in-memory DLGTEMPLATEEX that CreateDialogIndirectParamA
// takes: dialog units, the template's font, its styles and its controls in tab order.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/dialog_template.h"

// The words of the template, DWORD-aligned as the platform requires (the vector's storage
// is). Texts are widened byte by byte from the program's code page, which holds for the
// templates' ASCII texts. WS_VISIBLE is taken off the dialog's style: the window is shown by
// its modal run, after its initialisation. An SS_ICON static gets no text; its picture is
// set once the window exists.
std::vector<std::uint16_t> BuildMemoryTemplate(const DialogTemplate& dialogTemplate);
