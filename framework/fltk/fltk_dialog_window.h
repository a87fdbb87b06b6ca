// FltkDialogWindow: one dialog template made into a real FLTK window. Its controls report
// clicks, edits and list picks to the dialog as window messages; keys and the close box end
// it the way the dialog's message table decides.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/window_backend.h"

class Fl_Widget;
class FltkBackend;
class IconPicture;

class FltkDialogWindow : public DialogWindow {
 public:
  // Builds the window and its controls, hidden, laid out in the backend's base units. The
  // template and the target must outlive the window.
  FltkDialogWindow(FltkBackend& backend, const DialogTemplate& dialogTemplate,
                   MessageTarget& target);
  ~FltkDialogWindow() override;

  // DialogWindow
  int RunModal() override;
  void EndModal(int result) override;
  std::string GetItemText(int id) const override;
  void SetItemText(int id, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  int ListCount(int id) const override;
  int ListCaret(int id) const override;
  std::string ListText(int id, int index) const override;
  int ListInsert(int id, int index, const std::string& text) override;
  int ListDelete(int id, int index) override;
  void ListReset(int id) override;
  bool HasSystemMenu() const override;
  void AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) override;
  void SetIcon(const Icon& icon, bool big) override;
  bool IsIconic() const override;
  ClientRect GetClientRect() const override;
  void DrawIcon(int x, int y, const Icon& icon) override;

 private:
  class Frame;
  struct Control {
    int id;
    ControlClass cls;
    std::uint32_t style;
    Fl_Widget* widget;  // owned by the frame
  };
  struct MenuEntry {
    UINT flags;
    UINT commandId;
    std::string text;
  };

  void BuildControl(const ControlTemplate& control);
  const Control* FindControl(int id, ControlClass cls) const;
  const Control* FindWidget(const Fl_Widget* widget) const;
  int DefaultButtonId() const;
  void Notify(UINT code, int id);

  // What the frame hands over. HandleKey returns true when the key was the dialog's.
  bool HandleKey(int key, int state);
  void ShowSystemMenu();
  void Painted();

  static void OnButton(Fl_Widget* widget, void* data);
  static void OnEditChanged(Fl_Widget* widget, void* data);
  static void OnListClicked(Fl_Widget* widget, void* data);
  static void OnCloseBox(Fl_Widget* widget, void* data);

  FltkBackend& m_backend;
  const DialogTemplate& m_template;
  MessageTarget& m_target;
  std::unique_ptr<Frame> m_frame;
  std::vector<Control> m_controls;
  std::vector<MenuEntry> m_systemMenu;
  std::vector<std::unique_ptr<IconPicture>> m_pictures;  // drawn by statics and DrawIcon
  const Icon* m_bigIcon = nullptr;
  const Icon* m_smallIcon = nullptr;
  bool m_painting = false;
  bool m_ended = false;
  int m_result = IDCANCEL;
};
