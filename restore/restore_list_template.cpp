// Dialog template 129, the restoration list dialog, as data: one list box with extended
// selection and two plain push buttons, no OK or Cancel button; below them the find box,
// whose Find Next is the default button, so that Enter finds rather than closes.
#include "restore/restore_list_template.h"

#include "restore/restore_list_dlg.h"
#include "restore/restore_list_find.h"

const DialogTemplate& RestoreListTemplate() {
  static const DialogTemplate kRestoreListTemplate{
      IDD_RESTORELIST,
      // Popup, visible, caption, system menu, modal frame, sizing border, set font, fixed-sys.
      0x90CC00C8,
      0,
      0,
      0,
      186,
      154,
      "Restoration List",
      {"MS Shell Dlg", 8, 400, false, 1},
      {
          // Bordered, scrolling both ways, tab stop, no integral height, extended and multiple
          // selection (Shift and Ctrl with clicks and keys), sort, notify. Letters typed into
          // it go to the find box.
          {IDC_LIST_ENTRIES, ControlClass::ListBox, "", 0x50B1090B, 7, 7, 172, 93, 0,
           kGrowWidth | kGrowHeight, IDC_FIND},
          {IDC_RESTORE, ControlClass::Button, "Restore", 0x50010000, 131, 107, 41, 19, 0,
           kFollowRight | kFollowBottom},
          {IDC_DEBUG, ControlClass::Button, "Debug", 0x50010000, 84, 111, 41, 11, 0,
           kFollowRight | kFollowBottom},
          // Left-aligned texts: child, visible, no prefix; the label also starts a group.
          {IDC_FIND_STATUS, ControlClass::Static, "", 0x50000080, 7, 111, 74, 8, 0, kFollowBottom},
          {-1, ControlClass::Static, "Find:", 0x50020000, 7, 135, 20, 8, 0, kFollowBottom},
          {IDC_FIND, ControlClass::Edit, "", 0x50810080, 29, 133, 99, 14, 0,
           kFollowBottom | kGrowWidth},
          // The default push button.
          {IDC_FIND_NEXT, ControlClass::Button, "Find Next", 0x50010001, 131, 133, 41, 14, 0,
           kFollowRight | kFollowBottom},
      }};
  return kRestoreListTemplate;
}
