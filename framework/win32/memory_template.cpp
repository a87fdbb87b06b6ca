// Writes the extended dialog template: header, menu, class, title, font, then one item per
// control, each on a DWORD boundary.
#include "memory_template.h"

#include <cstdlib>
#include <cstring>

#include "framework/windows_api.h"
#include "win32_list_box.h"

namespace {

class TemplateWriter {
 public:
  void Word(std::uint16_t value) { m_words.push_back(value); }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
  void Text(const char* text) {
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
      Word(static_cast<unsigned char>(*c));
    }
    Word(0);
  }
  void WideText(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<std::uint16_t>(c));
    Word(0);
  }
  void AlignToDword() {
    if (m_words.size() % 2 != 0) Word(0);
  }
  std::vector<std::uint16_t> Take() { return std::move(m_words); }

 private:
  std::vector<std::uint16_t> m_words;
};

// The predefined window classes by their atoms.
std::uint16_t ClassAtom(ControlClass cls) {
  switch (cls) {
    case ControlClass::Button:
      return 0x0080;
    case ControlClass::Edit:
      return 0x0081;
    case ControlClass::Static:
      return 0x0082;
    case ControlClass::ListBox:
      return 0x0083;
  }
  return 0x0082;
}

bool IsShellFont(const char* name) {
  return std::strcmp(name, "MS Shell Dlg") == 0 || std::strcmp(name, "MS Shell Dlg 2") == 0;
}

}  // namespace

std::optional<ShellDialogFont> SystemMessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) ||
      metrics.lfMessageFont.lfFaceName[0] == L'\0' || metrics.lfMessageFont.lfHeight == 0) {
    return std::nullopt;
  }
  // The height is in pixels at the system's DPI; the template wants points.
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const int height = std::abs(static_cast<int>(metrics.lfMessageFont.lfHeight));
  ShellDialogFont font{metrics.lfMessageFont.lfFaceName, ::MulDiv(height, 72, dpi > 0 ? dpi : 96)};
  if (font.pointSize <= 0) return std::nullopt;
  return font;
}

std::vector<std::uint16_t> BuildMemoryTemplate(const DialogTemplate& dialogTemplate,
                                               const ShellDialogFont* shellFont) {
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended form
  out.Dword(0);      // helpID
  out.Dword(dialogTemplate.exStyle);
  out.Dword(dialogTemplate.style & ~static_cast<std::uint32_t>(WS_VISIBLE));
  out.Word(static_cast<std::uint16_t>(dialogTemplate.controls.size()));
  out.Short(dialogTemplate.x);
  out.Short(dialogTemplate.y);
  out.Short(dialogTemplate.cx);
  out.Short(dialogTemplate.cy);
  out.Word(0);  // no menu
  out.Word(0);  // the default dialog class
  out.Text(dialogTemplate.title);
  // DS_SETFONT: point size, weight, italic, character set, face name.
  const bool systemFont = shellFont != nullptr && IsShellFont(dialogTemplate.font.name);
  out.Word(static_cast<std::uint16_t>(systemFont ? shellFont->pointSize
                                                 : dialogTemplate.font.pointSize));
  out.Word(static_cast<std::uint16_t>(dialogTemplate.font.weight));
  out.Word(static_cast<std::uint16_t>((dialogTemplate.font.italic ? 1 : 0) |
                                      (dialogTemplate.font.charset << 8)));
  if (systemFont) {
    out.WideText(shellFont->face);
  } else {
    out.Text(dialogTemplate.font.name);
  }

  for (const ControlTemplate& control : dialogTemplate.controls) {
    out.AlignToDword();
    out.Dword(0);  // helpID
    out.Dword(0);  // exStyle
    out.Dword(control.cls == ControlClass::ListBox ? NoDataListBoxStyle(control.style)
                                                   : control.style);
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.cx);
    out.Short(control.cy);
    out.Dword(static_cast<std::uint32_t>(control.id));
    out.Word(0xFFFF);
    out.Word(ClassAtom(control.cls));
    out.Text(control.iconResource != 0 ? "" : control.text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}
