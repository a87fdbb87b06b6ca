// Dialog template 100, the About box, as data: the icon, two lines of text and OK, the
// default button.
#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "about_dlg.h"
#include "framework/resources.h"
#include "resource_ids.h"
#include "version_number.h"

namespace {
// The same number as the version record's, so that About and the file's properties agree.
constexpr auto kVersionLine = [] {
  constexpr std::string_view kLead = "Quillmar Version ";
  std::array<char, kLead.size() + sizeof kVersionText> line{};
  std::copy(kLead.begin(), kLead.end(), line.begin());
  std::copy(std::begin(kVersionText), std::end(kVersionText), line.begin() + kLead.size());
  return line;
}();
}  // namespace

const DialogTemplate& AboutDlgTemplate() {
  static const DialogTemplate kTemplate{
      IDD_ABOUTBOX,
      0x80C800C8,  // popup, caption, system menu, modal frame, set font, fixed-sys; not visible
      0,
      0,
      0,
      235,
      55,
      "About Quillmar",
      {"MS Shell Dlg", 8, 0, false, 1},
      {
          // Static showing icon 128 (child, visible, SS_ICON).
          {-1, ControlClass::Static, "", 0x50000003, 11, 17, 20, 20, IDR_MAINFRAME},
          // Left-aligned text, group, no prefix.
          {-1, ControlClass::Static, kVersionLine.data(), 0x50020080, 40, 10, 119, 8},
          // Left-aligned text, group.
          {-1, ControlClass::Static, "Keeps copies you can restore.", 0x50020000, 40, 25, 119, 8},
          // Default push button, group, tab stop.
          {IDOK, ControlClass::Button, "OK", 0x50030001, 178, 7, 50, 16},
      }};
  return kTemplate;
}

namespace {
const ResourceRegistration kAboutTemplateRegistration(AboutDlgTemplate());
}  // namespace
