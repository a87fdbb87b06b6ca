// Dialog template 102, the main dialog, as data, and string 101, the text of the About entry
// that the main dialog adds to its system menu.
//
//   +- Quillmar -------------------------------+
//   |  Directory: [______________________] [..] |
//   |  Files:     [______________________]      |
//   |          [Quillmar!] [Restore Files]   [?] |
//   |  1234 files visited, 56 backed up,         |  1006: counts and rate, two lines
//   |  0 failed (812 files/s)                    |
//   |  /home/me/Documents/letters//old/          |  1007: the folder in hand
//   +------------------------------------------+
#include "framework/resources.h"
#include "main_dlg.h"
#include "resource_ids.h"

const DialogTemplate& MainDlgTemplate() {
  static const DialogTemplate kTemplate{
      IDD_QUILLMAR_DIALOG,
      0x90C800C8,  // popup, visible, caption, system menu, modal frame, set font, fixed-sys
      0x00040000,  // app window: a taskbar button of its own
      0,
      0,
      191,
      112,
      "Quillmar",
      {"MS Shell Dlg", 8, 0, false, 1},
      {
          // Template order is tab order: the Files box comes first and gets the focus.
          // Edit boxes: child, visible, border, tab stop, auto horizontal scroll.
          {IDC_FILES, ControlClass::Edit, "", 0x50810080, 53, 33, 97, 14},
          // Push buttons: child, visible, tab stop.
          {IDC_CLEAN, ControlClass::Button, "Quillmar!", 0x50010000, 48, 57, 57, 18},
          // Centred labels: child, visible, group.
          {-1, ControlClass::Static, "Directory:", 0x50020001, 15, 14, 34, 8},
          {-1, ControlClass::Static, "Files:", 0x50020001, 15, 35, 33, 8},
          {IDC_BROWSE, ControlClass::Button, "..", 0x50010000, 156, 12, 17, 14},
          {IDC_DIRECTORY, ControlClass::Edit, "", 0x50810080, 53, 11, 97, 14},
          {IDC_HELPTEXT, ControlClass::Button, "?", 0x50010000, 173, 68, 11, 11},
          {IDC_RESTOREFILES, ControlClass::Button, "Restore Files", 0x50010000, 106, 57, 53, 18},
          // A clean's progress in full. Left-aligned texts without prefix: the counts wrap,
          // the folder is one line shortened in its middle (SS_PATHELLIPSIS) when too long.
          {IDC_WALK_COUNTS, ControlClass::Static, "", 0x50000080, 7, 84, 177, 16},
          {IDC_WALK_FOLDER, ControlClass::Static, "", 0x50008080, 7, 100, 177, 8},
      }};
  return kTemplate;
}

namespace {
const ResourceRegistration kMainTemplateRegistration(MainDlgTemplate());
const ResourceRegistration kAboutMenuString(IDS_ABOUTBOX, "&About Quillmar...");
}  // namespace
