// FltkBackend: the desktop window backend. Opens the X display, builds dialogs from their
// templates and runs them, message boxes and the folder browser as nested modal windows.
// Includes no FLTK header, so the program's entry can install it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "framework/window_backend.h"

class IconPicture;

class FltkBackend : public WindowBackend {
 public:
  // Opens the display the platform names. On failure returns null and stores in *reason one
  // line saying why (no display named, or no server answering at the one named).
  static std::unique_ptr<FltkBackend> Open(std::string* reason);
  ~FltkBackend() override;

  // WindowBackend
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                   MessageTarget& target) override;
  int MessageBox(const std::string& text, const std::string& caption, UINT style) override;
  std::optional<std::string> BrowseForPath(const std::string& title,
                                           const std::string& startFolder) override;
  int GetSystemMetrics(int index) const override;
  StopRequest KeepResponsive() override;

  const BaseUnits& Units() const { return m_units; }
  int FontPixels() const { return m_fontPixels; }
  // The first icon a window sets also becomes the icon of the windows that set none (message
  // boxes, the folder browser). The icon must outlive the backend.
  void OfferDefaultIcon(const Icon& icon);

 private:
  FltkBackend(int fontPixels, BaseUnits units);

  int m_fontPixels;
  BaseUnits m_units;
  std::vector<std::unique_ptr<IconPicture>> m_defaultIcons;
};
