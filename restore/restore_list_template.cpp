// Dialog template 129, the restoration list dialog, as data: one list box with extended
// selection and two plain push buttons; no OK or Cancel button, no default button.
#include "restore/restore_list_template.h"

#include "restore/restore_list_dlg.h"

const DialogTemplate& RestoreListTemplate() {
  static const DialogTemplate kRestoreListTemplate{
      IDD_RESTORELIST,
      0x90C800C8,  // popup, visible, caption, system menu, modal frame, set font, fixed-sys
      0,
      0,
      0,
      186,
      138,
      "Restoration List",
      {"MS Shell Dlg", 8, 400, false, 1},
      {
          // Bordered, scrolling, tab stop, no integral height, extended and multiple
          // selection (Shift and Ctrl with clicks and keys), sort, notify.
          {IDC_LIST_ENTRIES, ControlClass::ListBox, "", 0x50A1090B, 7, 7, 172, 93},
          {IDC_RESTORE, ControlClass::Button, "Restore", 0x50010000, 131, 107, 41, 19},
          {IDC_DEBUG, ControlClass::Button, "Debug", 0x50010000, 84, 111, 41, 11},
      }};
  return kRestoreListTemplate;
}
