// Dialog template 133, the versions of one entry, as data: the entry's path, its copies in a
// list named by the label above it, Restore and Close.
#include "restore/versions_dlg.h"

const DialogTemplate& VersionsTemplate() {
  static const DialogTemplate kVersionsTemplate{
      IDD_VERSIONS,
      0x80C800C8,  // popup, caption, system menu, modal frame, set font, fixed-sys; not visible
      0,
      0,
      0,
      230,
      140,
      "Versions",
      {"MS Shell Dlg", 8, 400, false, 1},
      {
          // The entry: one line, a long path shortened in its middle.
          {IDC_VERSIONS_PATH, ControlClass::Static, "", 0x50000000 | SS_NOPREFIX | SS_PATHELLIPSIS,
           7, 7, 216, 8},
          // Just before the list, so that it names the list on both platforms.
          {-1, ControlClass::Static, "Copies, newest first:", 0x50020000, 7, 20, 216, 8},
          // Bordered, scrolling, tab stop, no integral height, notify; one choice at a time.
          {IDC_VERSIONS_LIST, ControlClass::ListBox, "", 0x50A10101, 7, 30, 216, 82},
          {IDC_VERSIONS_RESTORE, ControlClass::Button, "Restore", 0x50010000, 119, 119, 50, 14},
          {IDCANCEL, ControlClass::Button, "Close", 0x50010000, 173, 119, 50, 14},
      }};
  return kVersionsTemplate;
}
