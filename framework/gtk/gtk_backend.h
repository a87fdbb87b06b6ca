// GtkBackend: the desktop window backend on GTK 3, on X11 or Wayland alike. Builds dialogs
// from their templates in the desktop font's base units and runs them, message boxes and the
// desktop's folder chooser as nested modal windows. Includes no GTK header, so the program's
// entry can install it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "framework/window_backend.h"

typedef struct _GtkWindow GtkWindow;

class GtkBackend : public WindowBackend {
 public:
  // Connects to the display the environment names (Wayland or X11). On failure returns null
  // and stores in *reason one line saying why.
  static std::unique_ptr<GtkBackend> Open(std::string* reason);
  ~GtkBackend() override;

  // WindowBackend
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                   MessageTarget& target) override;
  int MessageBox(const std::string& text, const std::string& caption, UINT style) override;
  int MessageBoxWithCheck(const std::string& text, const std::string& detail,
                          const std::string& caption, UINT style, const std::string& checkText,
                          bool& checked) override;
  std::optional<std::string> BrowseForPath(const std::string& title,
                                           const std::string& startFolder) override;
  int GetSystemMetrics(int index) const override;
  StopRequest KeepResponsive() override;

  // The desktop font's base units, in logical pixels.
  const BaseUnits& Units() const { return m_units; }
  // The first icon a window sets also becomes the icon of the windows that set none (message
  // boxes, the folder chooser). The icon must outlive the backend.
  void OfferDefaultIcon(const Icon& icon);
  // The dialogs running modally, innermost last: a new window stays above and centred on the
  // innermost one.
  void Opened(GtkWindow* window) { m_openWindows.push_back(window); }
  void Closed() { m_openWindows.pop_back(); }
  // False on a display without a pointer (a headless compositor), where GTK cannot find the
  // screen under the pointer to centre a window on.
  bool HasPointer() const { return m_hasPointer; }
  // True while KeepResponsive lets the windows repaint.
  bool Pumping() const { return m_pumping; }
  GtkWindow* InnermostWindow() const {
    return m_openWindows.empty() ? nullptr : m_openWindows.back();
  }

 private:
  GtkBackend(BaseUnits units, bool hasPointer);

  BaseUnits m_units;
  bool m_defaultIconSet = false;
  bool m_pumping = false;
  bool m_hasPointer;
  std::vector<GtkWindow*> m_openWindows;
};
